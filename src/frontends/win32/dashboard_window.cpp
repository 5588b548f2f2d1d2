// SPDX-License-Identifier: MIT
#include "frontends/win32/dashboard_window.h"

#include <algorithm>

#include "frontends/win32/wide_text.h"

namespace kerbview::win32 {

void DashboardWindow::Build() {
    if (!m_texts.problem.empty()) {
        m_lines.push_back(AddControl(L"STATIC", Wide(m_texts.problem), SS_LEFT | SS_NOPREFIX));
        return;
    }
    // Read-only edit boxes without a frame: they look like labels, and an address can be
    // selected and copied.
    for (const std::string& url : m_texts.urls) {
        m_lines.push_back(
            AddControl(L"EDIT", WideFromUtf8(url), ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP));
    }
}

SIZE DashboardWindow::Arrange(int minWidth) {
    m_large = MessageFont(Dpi(), 1.4);
    const int margin = Px(11);
    int width = std::max(Px(240), minWidth);
    int y = margin;
    std::vector<TextExtent> sizes;
    for (HWND line : m_lines) {
        ::SendMessageW(line, WM_SETFONT, reinterpret_cast<WPARAM>(m_large.get()), FALSE);
        std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(line)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            ::GetWindowTextW(line, text.data(), static_cast<int>(text.size()))));
        sizes.push_back(TextSize(text, m_large.get()));
        width = std::max(width, sizes.back().cx + Px(8) + 2 * margin);
    }
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        Move(m_lines[i], margin, y, width - 2 * margin, sizes[i].cy + Px(4));
        y += sizes[i].cy + Px(4) + Px(6);
    }
    return {width, std::max(y, margin) - Px(6) + margin};
}

}  // namespace kerbview::win32
