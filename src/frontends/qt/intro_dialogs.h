// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <string_view>

#include "net/dialog_logic.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kerbview::qt {

/// The port dialog of the server role. Shown without blocking; closing it
/// with the window's own control changes nothing.
class Intro_Port : public QDialog {
    Q_OBJECT
public:
    /// accept runs the port check on the text of Text2 and stores it (Accepted closes the
    /// dialog; BadPort shows TxtBadPort and keeps it open).
    Intro_Port(const net::IntroTexts& texts, const std::string& port,
               std::function<net::DialogOutcome(std::string_view text2)> accept,
               QWidget* mainWindow);

private:
    void Command1_Click();

    net::IntroTexts m_texts;
    std::function<net::DialogOutcome(std::string_view)> m_accept;
    QLineEdit* m_text2;
};

/// The address dialog of the client role. Shown without blocking; closing
/// it with the window's own control changes nothing.
class Intro_IP : public QDialog {
    Q_OBJECT
public:
    /// accept checks and stores the texts of Text1 and Text2.
    Intro_IP(
        const net::IntroTexts& texts, const std::string& ip, const std::string& port,
        std::function<net::DialogOutcome(std::string_view text1, std::string_view text2)> accept,
        QWidget* mainWindow);

private:
    void Command1_Click();

    net::IntroTexts m_texts;
    std::function<net::DialogOutcome(std::string_view, std::string_view)> m_accept;
    QLineEdit* m_text1;
    QLineEdit* m_text2;
};

}  // namespace kerbview::qt
