// SPDX-License-Identifier: MIT
#include "frontends/win32/message_window.h"

#include <algorithm>

#include "frontends/win32/wide_text.h"

namespace kerbview::win32 {
namespace {

/// Line breaks as a static control draws them: "\r\n".
std::wstring WindowsLines(const std::wstring& text) {
    std::wstring lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) lines += L'\r';
        lines += text[i];
    }
    return lines;
}

}  // namespace

MessageWindow::MessageWindow(const std::string& text) : m_text(WindowsLines(Wide(text))) {}

MessageWindow::~MessageWindow() {
    Close();
    if (m_ownIcon) ::DestroyIcon(m_icon);
}

void MessageWindow::Build() {
    m_iconView = AddControl(L"STATIC", L"", SS_ICON | SS_REALSIZECONTROL);
    m_label = AddControl(L"STATIC", m_text, SS_LEFT | SS_NOPREFIX);
    m_ok = AddControl(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK);
}

SIZE MessageWindow::Arrange(int minWidth) {
    const int margin = Px(11);
    const int icon = ::GetSystemMetricsForDpi(SM_CXICON, Dpi());
    // The system's stop icon at this size; the shared one of the system's size when Windows
    // cannot make it.
    if (m_ownIcon) ::DestroyIcon(m_icon);
    m_icon = static_cast<HICON>(
        ::LoadImageW(nullptr, SystemResource(IDI_HAND), IMAGE_ICON, icon, icon, 0));
    m_ownIcon = m_icon != nullptr;
    if (!m_ownIcon) m_icon = ::LoadIconW(nullptr, SystemResource(IDI_HAND));
    ::SendMessageW(m_iconView, STM_SETICON, reinterpret_cast<WPARAM>(m_icon), 0);
    const TextExtent text = TextSize(m_text, nullptr, 0);
    const int buttonWidth = ButtonWidth(L"OK");
    const int buttonHeight = FieldHeight();
    const int textLeft = margin + icon + Px(12);
    const int width = std::max({textLeft + text.cx + margin + Px(8), Px(260), minWidth});
    const int body = std::max(icon, text.cy);
    Move(m_iconView, margin, margin, icon, icon);
    Move(m_label, textLeft, margin + (body - text.cy) / 2, text.cx + Px(8), text.cy);
    const int rowTop = margin + body + Px(14);
    Move(m_ok, (width - buttonWidth) / 2, rowTop, buttonWidth, buttonHeight);
    return {width, rowTop + buttonHeight + margin};
}

void MessageWindow::Command(int id, int /*code*/) {
    if (id == IDOK) Close();
}

std::unique_ptr<MessageWindow> ShowStopOver(HWND dialog, const std::string& text) {
    auto stop = std::make_unique<MessageWindow>(text);
    const HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
    if (!stop->Create(instance, dialog, MessageWindow::kTitle)) return nullptr;
    stop->OnClosed([dialog] {
        if (!::IsWindow(dialog)) return;
        ::EnableWindow(dialog, TRUE);
        ::SetForegroundWindow(dialog);
    });
    RECT anchor{};
    ::GetWindowRect(dialog, &anchor);
    PlaceFrame(stop->Handle(), panel::SidePlace::Centred, anchor, dialog);
    ::EnableWindow(dialog, FALSE);
    stop->Raise();
    return stop;
}

}  // namespace kerbview::win32
