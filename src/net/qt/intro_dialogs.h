// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include "core/error_report.h"
#include "core/settings.h"
#include "ui/language_texts.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kerbview::net {

class NetRoles;

/// What both address dialogs work on. References must outlive the dialogs.
struct IntroContext {
    core::Settings& settings;
    const ui::LanguageTexts& texts;
    NetRoles& roles;
    core::ErrorReporter& errors;
    char decimalSeparator = '.';
};

/// The port dialog of the server role. Non-blocking; closing it with the window's close control
/// changes nothing.
class Intro_Port : public QDialog {
    Q_OBJECT
public:
    Intro_Port(IntroContext context, QWidget* mainWindow);
    /// Fills the texts from the language slots and the stored Port, centres the dialog on the
    /// main window and shows it without blocking.
    void Open();

private:
    void Command1_Click();

    IntroContext m_ctx;
    QLabel* m_label2;
    QLineEdit* m_text2;
    QPushButton* m_command1;
};

/// The address dialog of the client role. Non-blocking; closing it with the window's close
/// control changes nothing.
class Intro_IP : public QDialog {
    Q_OBJECT
public:
    Intro_IP(IntroContext context, QWidget* mainWindow);
    /// Fills the texts from the language slots and the stored IP and Port, centres the dialog
    /// on the main window and shows it without blocking.
    void Open();

private:
    void Command1_Click();

    IntroContext m_ctx;
    QLabel* m_label1;
    QLineEdit* m_text1;
    QLabel* m_label2;
    QLineEdit* m_text2;
    QPushButton* m_command1;
};

}  // namespace kerbview::net
