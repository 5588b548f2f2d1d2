// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

#include "frontends/win32/side_window.h"
#include "panel/panel_model.h"

namespace kerbview::win32 {

/// The debug window Depuracio: Label1..Label9 stacked from the top, then the two larger labels
/// Label20 (scan time) and Label21 (last error), and under them the log of errors and notices.
/// It shows a DebugModel and has no buttons or menus; the model keeps being written while the
/// window is closed. It can be resized: the log takes the room.
class DebugWindow final : public SideWindow {
public:
    /// The model must outlive the window.
    explicit DebugWindow(const panel::DebugModel& model) : m_model(model) {}

    /// Shows the model's labels and log when they changed since the last call.
    void Sync();

private:
    DWORD Style() const override { return WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX; }
    DWORD ExStyle() const override { return 0; }
    bool IsDialog() const override { return false; }
    void Build() override;
    SIZE Arrange(int minWidth) override;
    void Fit(int width, int height) override;

    const panel::DebugModel& m_model;
    /// Label n at index n (1..9, 20, 21).
    std::array<HWND, 22> m_labels{};
    HWND m_log = nullptr;
    std::uint64_t m_seen = ~std::uint64_t{0};
};

}  // namespace kerbview::win32
