// SPDX-License-Identifier: MIT
#include "frontends/win32/debug_window.h"

#include <algorithm>

#include "frontends/win32/wide_text.h"

namespace kerbview::win32 {
namespace {

constexpr int kLarge[] = {20, 21};

std::wstring WindowText(HWND control) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void SetText(HWND control, const std::wstring& text) {
    // Unchanged texts are left alone, so that the scan's rewrites do not flicker.
    if (WindowText(control) != text) ::SetWindowTextW(control, text.c_str());
}

}  // namespace

void DebugWindow::Build() {
    for (int n = 1; n <= 9; ++n) {
        m_labels[static_cast<std::size_t>(n)] =
            AddControl(L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_ENDELLIPSIS);
    }
    for (int n : kLarge) {
        m_labels[static_cast<std::size_t>(n)] =
            AddControl(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, WS_EX_STATICEDGE);
    }
    m_log = AddControl(L"EDIT", L"",
                       ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, 0,
                       WS_EX_CLIENTEDGE);
    Sync();
}

SIZE DebugWindow::Arrange(int minWidth) { return {std::max(Px(420), minWidth), Px(480)}; }

void DebugWindow::Fit(int width, int height) {
    if (m_log == nullptr) return;
    const int margin = Px(9);
    const int line = TextSize(L"Xg").cy;
    const int large = std::max(Px(40), 2 * line + Px(4));
    const int inner = std::max(0, width - 2 * margin);
    int y = margin;
    for (int n = 1; n <= 9; ++n) {
        Move(m_labels[static_cast<std::size_t>(n)], margin, y, inner, line);
        y += line + Px(2);
    }
    for (int n : kLarge) {
        Move(m_labels[static_cast<std::size_t>(n)], margin, y, inner, large);
        y += large + Px(2);
    }
    Move(m_log, margin, y, inner, std::max(line, height - margin - y));
}

void DebugWindow::Sync() {
    if (!Open() || m_model.Revision() == m_seen) return;
    m_seen = m_model.Revision();
    for (std::size_t n = 1; n < m_labels.size(); ++n) {
        if (m_labels[n] != nullptr) SetText(m_labels[n], Wide(m_model.Label(static_cast<int>(n))));
    }
    // The log's lines come from the system and the program's own messages, in UTF-8.
    std::wstring log;
    for (const std::string& line : m_model.Log()) {
        if (!log.empty()) log += L"\r\n";
        log += WideFromUtf8(line);
    }
    if (WindowText(m_log) != log) {
        ::SetWindowTextW(m_log, log.c_str());
        const int end = ::GetWindowTextLengthW(m_log);
        ::SendMessageW(m_log, EM_SETSEL, static_cast<WPARAM>(end), end);
        ::SendMessageW(m_log, EM_SCROLLCARET, 0, 0);
    }
}

}  // namespace kerbview::win32
