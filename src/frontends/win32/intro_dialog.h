// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "frontends/win32/message_window.h"
#include "frontends/win32/side_window.h"
#include "net/dialog_logic.h"

namespace kerbview::win32 {

/// The address dialogs of the Conexio menu: Intro_Port (the server's port: Label2, Text2) and
/// Intro_IP (the server's address and port: Label1, Text1, Label2, Text2), each with the
/// accept button Command1. Shown without blocking; closing one with the window's own control
/// changes nothing. A rejected text shows its stop message over the dialog, which stays open
/// with what was typed and takes no input until the message is closed.
class IntroDialog final : public SideWindow {
public:
    /// accept checks and stores the texts of Text1 (empty for Intro_Port) and Text2; Accepted
    /// closes the dialog.
    using Accept =
        std::function<net::DialogOutcome(std::string_view text1, std::string_view text2)>;

    /// Intro_Port: ip is not shown.
    static std::unique_ptr<IntroDialog> Port(const net::IntroTexts& texts, const std::string& port,
                                             Accept accept);
    static std::unique_ptr<IntroDialog> Ip(const net::IntroTexts& texts, const std::string& ip,
                                           const std::string& port, Accept accept);

    IntroDialog(const net::IntroTexts& texts, bool withIp, const std::string& ip,
                const std::string& port, Accept accept);

    /// The stop message's keys first, then the dialog's.
    bool KeyboardMessage(MSG& msg) override;

private:
    void Build() override;
    SIZE Arrange(int minWidth) override;
    void Command(int id, int code) override;
    void Command1_Click();

    net::IntroTexts m_texts;
    bool m_withIp;
    std::string m_ip;
    std::string m_port;
    Accept m_accept;
    HWND m_label1 = nullptr;
    HWND m_text1 = nullptr;
    HWND m_label2 = nullptr;
    HWND m_text2 = nullptr;
    HWND m_command1 = nullptr;
    std::unique_ptr<MessageWindow> m_stop;
};

}  // namespace kerbview::win32
