// SPDX-License-Identifier: MIT
#include "frontends/qt/intro_dialogs.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "frontends/qt/qt_text.h"

namespace kerbview::qt {
namespace {

/// The stop-icon message of a rejected input: OK only, the application title, the language
/// text's "\r\n" shown as line breaks. Opens without blocking; the scan goes on behind it.
void ShowStop(QWidget* parent, const std::string& text) {
    QString message = FromCp1252(text);
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    auto* box = new QMessageBox(QMessageBox::Critical, QStringLiteral("Kerbview"), message,
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QLabel* Label(const char* name, const std::string& text, QWidget* parent) {
    auto* label = new QLabel(FromCp1252(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLineEdit* TextBox(const char* name, const std::string& text, QWidget* parent) {
    auto* box = new QLineEdit(FromCp1252(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QPushButton* OkButton(const std::string& text, QWidget* parent) {
    auto* button = new QPushButton(FromCp1252(text), parent);
    button->setObjectName(QStringLiteral("Command1"));
    button->setDefault(true);
    return button;
}

/// Not modal; the front end opens it as a side window (centred on the main window).
void Prepare(QDialog* dialog, const char* name, const std::string& title) {
    dialog->setObjectName(QString::fromLatin1(name));
    dialog->setModal(false);
    dialog->setWindowTitle(FromCp1252(title));
    dialog->adjustSize();
}

}  // namespace

Intro_Port::Intro_Port(const net::IntroTexts& texts, const std::string& port,
                       std::function<net::DialogOutcome(std::string_view)> accept,
                       QWidget* mainWindow)
    : QDialog(mainWindow), m_texts(texts), m_accept(std::move(accept)) {
    m_text2 = TextBox("Text2", port, this);
    auto* command1 = OkButton(texts.ok, this);
    auto* grid = new QGridLayout(this);
    grid->addWidget(Label("Label2", texts.port, this), 0, 0);
    grid->addWidget(m_text2, 0, 1);
    grid->addWidget(command1, 1, 1);
    QObject::connect(command1, &QPushButton::clicked, this, &Intro_Port::Command1_Click);
    Prepare(this, "Intro_Port", texts.title);
}

void Intro_Port::Command1_Click() {
    switch (m_accept(ToCp1252(m_text2->text()))) {
        case net::DialogOutcome::Accepted: close(); break;
        case net::DialogOutcome::BadPort: ShowStop(this, m_texts.badPort); break;
        case net::DialogOutcome::BadIp: ShowStop(this, m_texts.badIp); break;
    }
}

Intro_IP::Intro_IP(const net::IntroTexts& texts, const std::string& ip, const std::string& port,
                   std::function<net::DialogOutcome(std::string_view, std::string_view)> accept,
                   QWidget* mainWindow)
    : QDialog(mainWindow), m_texts(texts), m_accept(std::move(accept)) {
    m_text1 = TextBox("Text1", ip, this);
    m_text2 = TextBox("Text2", port, this);
    auto* command1 = OkButton(texts.ok, this);
    auto* grid = new QGridLayout(this);
    grid->addWidget(Label("Label1", texts.ipAddress, this), 0, 0);
    grid->addWidget(m_text1, 0, 1);
    grid->addWidget(Label("Label2", texts.port, this), 1, 0);
    grid->addWidget(m_text2, 1, 1);
    grid->addWidget(command1, 2, 1);
    QObject::connect(command1, &QPushButton::clicked, this, &Intro_IP::Command1_Click);
    Prepare(this, "Intro_IP", texts.title);
}

void Intro_IP::Command1_Click() {
    switch (m_accept(ToCp1252(m_text1->text()), ToCp1252(m_text2->text()))) {
        case net::DialogOutcome::Accepted: close(); break;
        case net::DialogOutcome::BadPort: ShowStop(this, m_texts.badPort); break;
        case net::DialogOutcome::BadIp: ShowStop(this, m_texts.badIp); break;
    }
}

}  // namespace kerbview::qt
