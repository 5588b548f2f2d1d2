// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <functional>

#include "app/front_end.h"
#include "frontends/win32/side_window.h"

namespace kerbview::win32 {

/// The Admin window: three option buttons Option1(0..2) choosing how the player's driver slot
/// is found, a text box Text1 and two buttons "+" and "-" that do nothing. Not modal.
class AdminWindow final : public SideWindow {
public:
    /// onSelect receives the index of an option button when it is chosen (DriverSelectMode).
    AdminWindow(const app::AdminTexts& texts, std::function<void(int)> onSelect)
        : m_texts(texts), m_onSelect(std::move(onSelect)) {}

    /// Selects Option1(0), which counts as choosing it.
    void SelectFirst();

private:
    DWORD Style() const override { return WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX; }
    DWORD ExStyle() const override { return 0; }
    bool IsDialog() const override { return false; }
    void Build() override;
    SIZE Arrange(int minWidth) override;
    void Command(int id, int code) override;

    app::AdminTexts m_texts;
    std::function<void(int)> m_onSelect;
    HWND m_frame = nullptr;
    std::array<HWND, 3> m_options{};
    HWND m_text1 = nullptr;
    HWND m_plus = nullptr;
    HWND m_minus = nullptr;
};

}  // namespace kerbview::win32
