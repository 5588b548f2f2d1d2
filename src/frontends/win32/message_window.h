// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "frontends/win32/side_window.h"

namespace kerbview::win32 {

/// A message as the program shows it: the application's title, a stop icon, the text (its
/// lines broken at "\n" or "\r\n") and an OK button that closes it. Unlike MessageBoxW it does
/// not wait: the scan goes on while it is open.
class MessageWindow final : public SideWindow {
public:
    /// text is Windows-1252.
    explicit MessageWindow(const std::string& text);
    ~MessageWindow() override;

    /// The application's title, which every message carries.
    static constexpr const wchar_t* kTitle = L"Kerbview";

private:
    void Build() override;
    SIZE Arrange(int minWidth) override;
    void Command(int id, int code) override;

    std::wstring m_text;
    HICON m_icon = nullptr;
    bool m_ownIcon = false;
    HWND m_iconView = nullptr;
    HWND m_label = nullptr;
    HWND m_ok = nullptr;
};

/// A dialog's stop message (text, Windows-1252) over dialog, which waits for it as for a modal
/// message: disabled until the message closes, then in front again; the scan goes on. Null when
/// Windows refused to make it.
std::unique_ptr<MessageWindow> ShowStopOver(HWND dialog, const std::string& text);

}  // namespace kerbview::win32
