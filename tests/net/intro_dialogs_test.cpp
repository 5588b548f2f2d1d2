// SPDX-License-Identifier: MIT
#include "net/qt/intro_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "fake_socket.h"
#include "net/net_roles.h"

namespace kerbview::net {
namespace {

TEST(IntroDialogsQt, OpenCentredWithCurrentTextsAndStopOnABadPort) {
    core::Settings settings;
    panel::PanelModel panel;
    ui::LanguageTexts texts;
    texts.TxtClientData = "Datos Cliente";
    texts.TxtIpAddress = "Direcci\xF3n IP";
    texts.TxtPort = "Puerto";
    texts.TxtOk = "Aceptar";
    texts.TxtBadPort = "El puerto introducido no es valido\r\nintroduce un valor entre 0 y 65535";
    core::ErrorReporter errors;
    test::FakeSocket server, client;
    NetRoles roles(server, client,
                   NetContext{settings, panel, texts, errors,
                              [](std::string_view, std::string_view, std::string_view) {}, '.'},
                   NetHooks{});
    QWidget main;
    main.setGeometry(100, 200, 800, 600);
    main.show();
    Intro_IP dialog(IntroContext{settings, texts, roles, errors, '.'}, &main);
    dialog.Open();

    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Datos Cliente"));
    EXPECT_EQ(dialog.findChild<QLabel*>("Label1")->text(), QString::fromUtf8("Dirección IP"));
    EXPECT_EQ(dialog.findChild<QLineEdit*>("Text1")->text(), QStringLiteral("192.168.000.002"));
    const QRect frame = main.frameGeometry();
    EXPECT_EQ(dialog.x(), frame.left() + frame.width() / 2 - dialog.width() / 2);
    EXPECT_EQ(dialog.y(), frame.top() + frame.height() / 2 - dialog.height() / 2);

    dialog.findChild<QLineEdit*>("Text1")->setText("010.000.000.001");
    dialog.findChild<QLineEdit*>("Text2")->setText("65536");
    dialog.findChild<QPushButton*>("Command1")->click();
    auto* box = dialog.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Kerbview"));
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(
        box->text(),
        QStringLiteral("El puerto introducido no es valido\nintroduce un valor entre 0 y 65535"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(settings.IP, "010.000.000.001");
    box->close();

    dialog.close();  // the close control changes nothing
    EXPECT_EQ(settings.TipusConexio, 0);
    EXPECT_EQ(settings.Port, "1001");
    dialog.Open();
    dialog.findChild<QLineEdit*>("Text2")->setText("2002");
    dialog.findChild<QPushButton*>("Command1")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(settings.TipusConexio, 2);
    EXPECT_TRUE(panel.menu(panel::Menu::Client).checked);
}

}  // namespace
}  // namespace kerbview::net
