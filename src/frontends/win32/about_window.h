// SPDX-License-Identifier: MIT
#pragma once

#include "app/front_end.h"
#include "frontends/win32/side_window.h"

namespace kerbview::win32 {

/// Paints the program's logo into frame: the name over a red and white kerb on a dark plate.
/// The main window's logo and the about window's share it.
void PaintLogo(HDC dc, const RECT& frame, UINT dpi);

/// The about window About_Kerbview: the program's name, its description and credit in the
/// language current at opening, the logo (a click opens the community web site) and an OK
/// button that closes it. Not modal.
class AboutWindow final : public SideWindow {
public:
    /// The texts are read once here; a later language change does not alter an open window.
    explicit AboutWindow(const app::AboutTexts& texts) : m_texts(texts) {}

private:
    void Build() override;
    SIZE Arrange(int minWidth) override;
    void Command(int id, int code) override;
    LRESULT Message(UINT msg, WPARAM wParam, LPARAM lParam) override;

    app::AboutTexts m_texts;
    win32::Font m_titleFont;
    HWND m_logo = nullptr;
    HWND m_title = nullptr;
    HWND m_description = nullptr;
    HWND m_disclaimer = nullptr;
    HWND m_line = nullptr;
    HWND m_ok = nullptr;
};

}  // namespace kerbview::win32
