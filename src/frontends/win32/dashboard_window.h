// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "app/front_end.h"
#include "frontends/win32/side_window.h"

namespace kerbview::win32 {

/// The small window that tells how to open the web dashboard: the addresses to type, in a
/// large font and selectable for copying, or, when the dashboard could not be served, why.
/// Not modal.
class DashboardWindow final : public SideWindow {
public:
    explicit DashboardWindow(const app::DashboardWindowTexts& texts) : m_texts(texts) {}

private:
    DWORD ExStyle() const override { return 0; }
    bool IsDialog() const override { return false; }
    void Build() override;
    SIZE Arrange(int minWidth) override;

    app::DashboardWindowTexts m_texts;
    win32::Font m_large;
    std::vector<HWND> m_lines;
};

}  // namespace kerbview::win32
