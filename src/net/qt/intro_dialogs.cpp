// SPDX-License-Identifier: MIT
#include "net/qt/intro_dialogs.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "core/text_encoding.h"
#include "net/dialog_logic.h"

namespace kerbview::net {
namespace {

QString FromCp1252(const std::string& text) {
    return QString::fromStdString(core::Cp1252ToUtf8(text));
}

std::string ToCp1252(const QString& text) { return core::Utf8ToCp1252(text.toStdString()); }

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

/// Left edge at the main window's left + half its width - half the dialog's width; the top
/// likewise.
void CentreOn(QDialog* dialog, const QWidget* mainWindow) {
    dialog->adjustSize();
    if (mainWindow == nullptr) return;
    const QRect main = mainWindow->frameGeometry();
    dialog->move(main.left() + main.width() / 2 - dialog->width() / 2,
                 main.top() + main.height() / 2 - dialog->height() / 2);
}

void ShowWithoutBlocking(QDialog* dialog) {
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

}  // namespace

Intro_Port::Intro_Port(IntroContext context, QWidget* mainWindow)
    : QDialog(mainWindow),
      m_ctx(context),
      m_label2(new QLabel(this)),
      m_text2(new QLineEdit(this)),
      m_command1(new QPushButton(this)) {
    setModal(false);
    setObjectName(QStringLiteral("Intro_Port"));
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_command1->setObjectName(QStringLiteral("Command1"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(m_label2, 0, 0);
    grid->addWidget(m_text2, 0, 1);
    grid->addWidget(m_command1, 1, 1);
    m_command1->setDefault(true);
    QObject::connect(m_command1, &QPushButton::clicked, this, &Intro_Port::Command1_Click);
}

void Intro_Port::Open() {
    setWindowTitle(FromCp1252(m_ctx.texts.TxtServerData));
    m_label2->setText(FromCp1252(m_ctx.texts.TxtPort));
    m_text2->setText(FromCp1252(m_ctx.settings.Port));
    m_command1->setText(FromCp1252(m_ctx.texts.TxtOk));
    CentreOn(this, parentWidget());
    ShowWithoutBlocking(this);
}

void Intro_Port::Command1_Click() {
    switch (IntroPortAccept(ToCp1252(m_text2->text()), m_ctx.settings, m_ctx.roles,
                            m_ctx.decimalSeparator)) {
        case DialogOutcome::Accepted: hide(); break;
        case DialogOutcome::BadPort: ShowStop(this, m_ctx.texts.TxtBadPort); break;
        case DialogOutcome::BadIp: ShowStop(this, m_ctx.texts.TxtBadIp); break;
    }
}

Intro_IP::Intro_IP(IntroContext context, QWidget* mainWindow)
    : QDialog(mainWindow),
      m_ctx(context),
      m_label1(new QLabel(this)),
      m_text1(new QLineEdit(this)),
      m_label2(new QLabel(this)),
      m_text2(new QLineEdit(this)),
      m_command1(new QPushButton(this)) {
    setModal(false);
    setObjectName(QStringLiteral("Intro_IP"));
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_command1->setObjectName(QStringLiteral("Command1"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(m_label1, 0, 0);
    grid->addWidget(m_text1, 0, 1);
    grid->addWidget(m_label2, 1, 0);
    grid->addWidget(m_text2, 1, 1);
    grid->addWidget(m_command1, 2, 1);
    m_command1->setDefault(true);
    QObject::connect(m_command1, &QPushButton::clicked, this, &Intro_IP::Command1_Click);
}

void Intro_IP::Open() {
    setWindowTitle(FromCp1252(m_ctx.texts.TxtClientData));
    m_label1->setText(FromCp1252(m_ctx.texts.TxtIpAddress));
    m_text1->setText(FromCp1252(m_ctx.settings.IP));
    m_label2->setText(FromCp1252(m_ctx.texts.TxtPort));
    m_text2->setText(FromCp1252(m_ctx.settings.Port));
    m_command1->setText(FromCp1252(m_ctx.texts.TxtOk));
    CentreOn(this, parentWidget());
    ShowWithoutBlocking(this);
}

void Intro_IP::Command1_Click() {
    switch (IntroIpAccept(ToCp1252(m_text1->text()), ToCp1252(m_text2->text()), m_ctx.settings,
                          m_ctx.roles, m_ctx.decimalSeparator, m_ctx.errors)) {
        case DialogOutcome::Accepted: hide(); break;
        case DialogOutcome::BadPort: ShowStop(this, m_ctx.texts.TxtBadPort); break;
        case DialogOutcome::BadIp: ShowStop(this, m_ctx.texts.TxtBadIp); break;
    }
}

}  // namespace kerbview::net
