// SPDX-License-Identifier: MIT
// The Qt socket adapter on 127.0.0.1 where the running program's tests (blackbox, soak) do not
// take it: the bounded connect and the failures; and the Qt address dialogs.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>

#include <deque>

#include "frontends/qt/intro_dialogs.h"
#include "frontends/qt/qt_socket.h"
#include "frontends/qt/qt_test_helpers.h"

namespace kerbview::qt {
namespace {

using app::testing::Spin;

// A listener whose accept queue is full drops further connection attempts unanswered, which is
// what an unreachable address looks like. The listener never accepts: its queue holds one.
TEST(QtSocket, UnansweredConnectEndsInOtherAfterTheTimeout) {
    QTcpServer listener;
    listener.setListenBacklogSize(0);
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    listener.pauseAccepting();
    const quint16 port = listener.serverPort();

    std::deque<QtSocket> fillers;
    for (int i = 0; i < 3; ++i)
        fillers.emplace_back(QHostAddress::LocalHost).connect("127.0.0.1", port);
    app::testing::SpinFor(300);
    QtSocket client(QHostAddress::LocalHost);
    client.connect("127.0.0.1", port);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(Spin([&] { return client.state() != net::SocketState::Connecting; }, 10000));
    const qint64 waited = clock.elapsed();
    listener.close();
    if (waited < 1000) GTEST_SKIP() << "the kernel answered the connect; no unanswered case here";
    EXPECT_EQ(client.state(), net::SocketState::Other);
}

// A port in use is told apart from other listen failures; a send without a connection fails.
TEST(QtSocket, PortInUseAndSendingWithoutAConnectionAreToldAsFailures) {
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    QtSocket socket(QHostAddress::LocalHost);
    try {
        socket.listen(taken.serverPort());
        ADD_FAILURE() << "listened on a port in use";
    } catch (const net::SocketError& e) {
        EXPECT_EQ(e.ErrorKind(), net::SocketError::Kind::AddressInUse) << e.what();
    }
    EXPECT_THROW(socket.send("x"), net::SocketError) << "never connected";
    socket.connect("127.0.0.1", taken.serverPort());
    ASSERT_TRUE(Spin([&] { return taken.hasPendingConnections(); }));
    delete taken.nextPendingConnection();  // the peer goes away
    ASSERT_TRUE(Spin([&] { return socket.state() == net::SocketState::Other; }));
    EXPECT_THROW(socket.send("x"), net::SocketError) << "after the peer closed";
}

TEST(IntroDialogsQt, OpenWithCurrentTextsAndStopOnABadPort) {
    QWidget main;
    const net::IntroTexts texts{"Datos Cliente",
                                "Direcci\xF3n IP",
                                "Puerto",
                                "Aceptar",
                                "",
                                "El puerto introducido no es valido\r\nintroduce un valor"};
    std::vector<std::string> accepted;
    net::DialogOutcome answer = net::DialogOutcome::BadPort;
    QPointer<Intro_IP> dialog = new Intro_IP(
        texts, "192.168.000.002", "1001",
        [&](std::string_view ip, std::string_view port) {
            accepted.push_back(std::string(ip) + ":" + std::string(port));
            return answer;
        },
        &main);
    dialog->show();
    const auto edit = [&](const char* name) { return dialog->findChild<QLineEdit*>(name); };

    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Datos Cliente"));
    EXPECT_EQ(dialog->findChild<QLabel*>("Label1")->text(), QString::fromUtf8("Dirección IP"));
    EXPECT_EQ(edit("Text1")->text(), QStringLiteral("192.168.000.002"));

    edit("Text1")->setText("010.000.000.001");
    edit("Text2")->setText("65536");
    dialog->findChild<QPushButton*>("Command1")->click();
    auto* box = dialog->findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(box->windowTitle() + " " + box->text(),
              "Kerbview El puerto introducido no es valido\nintroduce un valor");
    EXPECT_TRUE(dialog->isVisible());
    box->close();

    answer = net::DialogOutcome::Accepted;
    edit("Text2")->setText("2002");
    dialog->findChild<QPushButton*>("Command1")->click();
    EXPECT_EQ(accepted,
              (std::vector<std::string>{"010.000.000.001:65536", "010.000.000.001:2002"}));
    EXPECT_FALSE(dialog->isVisible()) << "an accepted dialog closes";
}

}  // namespace
}  // namespace kerbview::qt
