// SPDX-License-Identifier: MIT
// The dashboard server on 127.0.0.1 against hostile and stalled clients.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>
#include <memory>

#include "frontends/qt/dashboard_server.h"
#include "frontends/qt/qt_test_helpers.h"

namespace kerbview::qt {
namespace {

using namespace std::chrono_literals;
using app::testing::Spin;
using app::testing::SpinFor;

const QByteArray kUpgrade =
    "GET /feed HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
    "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";

// One connection that sends its bytes and keeps whatever comes back until the server closes it.
struct RawClient {
    QTcpSocket socket;
    QByteArray received;
    bool closed = false;
    RawClient(quint16 port, const QByteArray& request) {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
        QObject::connect(&socket, &QTcpSocket::disconnected, [this] { closed = true; });
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.write(request);
    }
};

DashboardOptions TestOptions() {
    DashboardOptions o;
    o.address = QHostAddress::LocalHost;
    o.maxBrowsers = 2;
    o.maxConnections = 8;
    o.maxRequestBytes = 4096;
    o.requestDeadline = 400ms;
    o.pacing.dropAfter = 1500ms;
    return o;
}

TEST(DashboardServer, HostileRequestsGetNoMoreThanNotFoundAndLeaveNoConnectionBehind) {
    panel::PanelModel model;
    DashboardServer server(model, web::DashboardLook{}, TestOptions());
    ASSERT_TRUE(server.Apply(true, 0)) << server.ErrorText().toStdString();
    const QByteArray big(100 * 1024, 'a');
    const QByteArray host = "Host: 127.0.0.1\r\n";
    struct Case {
        QByteArray request;
        const char* answer;  // start of the answer; "" for none: dropped unanswered
    };
    // Which requests are served is the request policy's table (web_tests); here the server keeps
    // to it, and hostile requests leave nothing behind.
    const Case cases[] = {
        {"GET /dashboard.css HTTP/1.1\r\n" + host + "\r\n", "HTTP/1.1 200"},
        {"GET /picture/Image1 HTTP/1.1\r\n" + host + "\r\n", "HTTP/1.1 200"},
        {"GET /picture/Image2 HTTP/1.1\r\n" + host + "\r\n", "HTTP/1.1 404"},  // nothing loaded
        {"GET /Kerbview.ini HTTP/1.1\r\n" + host + "\r\n", "HTTP/1.1 404"},
        {"POST / HTTP/1.1\r\n" + host + "Content-Length: 5\r\n\r\nhello", "HTTP/1.1 404"},
        {"GET / HTTP/1.1\r\nX: " + big + "\r\n\r\n", ""},
        {"POST / HTTP/1.1\r\nContent-Length: 1000000000\r\n\r\n" + big, ""},
        {"GET / HTTP/1.1\r\n" + host, ""},  // never finished
        {"GARBAGE\r\n\r\n", ""},
        {QByteArray("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11) + big.left(500), ""},
        {QByteArray("GET /\0/ HTTP/1.1\r\n\r\n", 20), "HTTP/1.1 400"},
    };
    qint64 worst = 0;
    const auto watch = [&] { worst = std::max(worst, server.Backlog()); };
    for (const Case& c : cases) {
        RawClient client(server.Port(), c.request);
        Spin([&] { return client.closed || client.received.contains("\r\n\r\n"); }, 2000, watch);
        EXPECT_TRUE(*c.answer ? client.received.startsWith(c.answer)
                              : client.closed && client.received.isEmpty())
            << c.request.left(40).toStdString() << " -> " << client.received.left(40).toStdString();
    }
    // A client that asks again and again without reading the answers is dropped before they
    // pile up (more than the system's buffers on the way can hold).
    const QByteArray pipelined = ("GET /dashboard.js HTTP/1.1\r\n" + host + "\r\n").repeated(2000);
    RawClient flood(server.Port(), pipelined);
    flood.socket.setReadBufferSize(1);
    EXPECT_TRUE(Spin([&] { return flood.closed && server.Connections() == 0; }, 2000, watch))
        << server.Connections();
    EXPECT_LT(worst, 256 * 1024);
    // Clients that hang up on their pipelined requests leave nothing to read: the server reads
    // no closed connection again (each such read warned, thousands of lines a second).
    {
        static int warnings = 0;
        const QtMessageHandler before = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString&) { ++warnings; });
        for (int i = 0; i < 20; ++i) {
            RawClient gone(server.Port(), pipelined);
            gone.socket.waitForBytesWritten(1000);
            gone.socket.abort();
        }
        Spin([&] { return server.Connections() == 0; }, 2000);
        SpinFor(100);
        qInstallMessageHandler(before);
        EXPECT_EQ(warnings, 0);
    }
    // Idle connections beyond the limit are refused at once.
    std::vector<std::unique_ptr<RawClient>> idle;
    for (int i = 0; i < 11; ++i) idle.push_back(std::make_unique<RawClient>(server.Port(), ""));
    SpinFor(200);
    EXPECT_EQ(server.Connections(), 8);
    EXPECT_EQ(std::count_if(idle.begin(), idle.end(), [](auto& c) { return c->closed; }), 3);
    idle.clear();
    ASSERT_TRUE(Spin([&] { return server.Connections() == 0; }, 2000));
    // A request body that never ends is not read past the read-ahead bound before the
    // connection is dropped; the system's buffers on the way take a few megabytes.
    const qint64 body = 48 << 20;
    RawClient endless(server.Port(), "POST / HTTP/1.1\r\nContent-Length: 1000000000\r\n\r\n" +
                                         QByteArray(body, 'b'));
    qint64 least = body;
    Spin([&] { return endless.closed; }, 3000,
         [&] {
             if (!endless.closed) least = std::min(least, endless.socket.bytesToWrite());
         });
    EXPECT_GT(least, body - (8 << 20)) << "taken by the server and the buffers on the way";
    EXPECT_LT(least, body) << "nothing was sent";
    // The hostile clients left the server as it was.
    RawClient page(server.Port(), "GET / HTTP/1.1\r\n" + host + "\r\n");
    EXPECT_TRUE(Spin([&] { return page.received.contains("</html>"); }, 2000));
}

TEST(DashboardServer, BrowsersAreBoundedAndOneThatStopsReadingIsDroppedWithoutPilingUp) {
    panel::PanelModel model;
    // Large, ever-changing texts fill a stalled browser's buffers within a second.
    QTimer churn;
    int tick = 0;
    QObject::connect(&churn, &QTimer::timeout, [&] {
        ++tick;
        for (int n = 2; n <= 40; ++n)
            model.SetText(panel::LabelN(n), std::string(1000, 'a' + tick % 26));
    });
    churn.start(5);
    DashboardServer server(model, web::DashboardLook{}, TestOptions());
    ASSERT_TRUE(server.Apply(true, 0));

    // The stalled browser: a plain socket with a tiny receive buffer that never reads.
    const int stalled = ::socket(AF_INET, SOCK_STREAM, 0);
    const int small = 4096;
    ::setsockopt(stalled, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in to{AF_INET, htons(server.Port()), {htonl(INADDR_LOOPBACK)}, {}};
    ASSERT_EQ(::connect(stalled, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    ASSERT_EQ(::send(stalled, kUpgrade.constData(), kUpgrade.size(), 0), kUpgrade.size());
    ASSERT_TRUE(Spin([&] { return server.Browsers() == 1; }, 3000));

    QWebSocket reader;
    std::vector<QString> types;
    QObject::connect(&reader, &QWebSocket::textMessageReceived, [&](const QString& m) {
        types.push_back(m.mid(9, 5));  // after {"type":"
    });
    const QUrl feed(QStringLiteral("ws://127.0.0.1:%1/feed").arg(server.Port()));
    reader.open(feed);
    ASSERT_TRUE(Spin([&] { return server.Browsers() == 2; }, 3000));
    QWebSocket third;
    third.open(feed);
    Spin([&] { return third.state() == QAbstractSocket::UnconnectedState; }, 3000);
    EXPECT_NE(third.state(), QAbstractSocket::ConnectedState) << "a third browser over the limit";

    qint64 worst = 0;
    QElapsedTimer clock;
    clock.start();
    const std::size_t before = types.size();
    EXPECT_TRUE(Spin([&] { return server.Browsers() == 1; }, 8000,
                     [&] { worst = std::max(worst, server.Backlog()); }));
    SpinFor(1000);
    const double seconds = clock.elapsed() / 1000.0;
    const auto got = static_cast<double>(types.size() - before);
    ::close(stalled);
    // What waited stayed under the skip bound plus one message for each browser.
    const auto message = static_cast<qint64>(web::FeedEncoder(model, {}).Full().size());
    EXPECT_LT(worst, 64 * 1024 + 2 * message);
    // The reading browser was kept up to date, at no more than 30 messages a second.
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.front(), "full\"");
    EXPECT_LE(got, 30 * seconds + 2);
    EXPECT_GE(got, 5 * seconds);
}

TEST(DashboardServer, MalformedFramesDropOnlyTheBrowserThatSentThem) {
    panel::PanelModel model;
    DashboardOptions options = TestOptions();
    options.maxBrowsers = 16;
    DashboardServer server(model, web::DashboardLook{}, options);
    ASSERT_TRUE(server.Apply(true, 0));
    QWebSocket watcher;
    int seen = 0;
    QObject::connect(&watcher, &QWebSocket::textMessageReceived, [&] { ++seen; });
    watcher.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/feed").arg(server.Port())));
    ASSERT_TRUE(Spin([&] { return seen == 1; }, 3000));
    QRandomGenerator random(15);
    int dropped = 0;
    for (int i = 0; i < 200; ++i) {
        RawClient client(server.Port(), kUpgrade);
        Spin([&] { return client.received.contains("\r\n\r\n"); }, 2000);
        // Random frames: any opcode and length field, masked or not, with random payloads.
        QByteArray frames;
        for (int f = 0; f < 20; ++f) {
            QByteArray frame(2 + static_cast<int>(random.bounded(300)), Qt::Uninitialized);
            for (char& b : frame) b = static_cast<char>(random.bounded(256));
            frames += frame;
        }
        client.socket.write(frames);
        dropped += Spin([&] { return client.closed; }, 50) ? 1 : 0;
    }
    EXPECT_GT(dropped, 100) << "most random frames break the protocol";
    // A well-formed message far longer than a browser ever sends closes its connection too.
    RawClient talker(server.Port(), kUpgrade);
    Spin([&] { return talker.received.contains("\r\n\r\n"); }, 2000);
    talker.socket.write(QByteArray("\x81\xFF\0\0\0\0\0\1\0\0\0\0\0\0", 14) +
                        QByteArray(65536, 'x'));
    EXPECT_TRUE(Spin([&] { return talker.closed; }, 2000));
    EXPECT_TRUE(Spin([&] { return server.Browsers() == 1 && server.Connections() == 1; }, 5000))
        << server.Browsers() << " browsers, " << server.Connections() << " connections";
    EXPECT_EQ(watcher.state(), QAbstractSocket::ConnectedState);
    model.SetText(panel::LabelN(1), "after");
    EXPECT_TRUE(Spin([&] { return seen == 2; }, 3000)) << "the watcher's feed goes on";

    // Switched off, nothing listens; switched on again on a port another server holds, it fails.
    const quint16 port = server.Port();
    EXPECT_TRUE(server.Apply(false, port));
    RawClient refused(port, "GET / HTTP/1.1\r\n\r\n");
    EXPECT_TRUE(
        Spin([&] { return refused.socket.state() == QAbstractSocket::UnconnectedState; }, 2000));
    DashboardServer holder(model, web::DashboardLook{}, TestOptions());
    ASSERT_TRUE(holder.Apply(true, 0));
    EXPECT_FALSE(server.Apply(true, holder.Port()));
    EXPECT_TRUE(server.PortInUse());
    EXPECT_FALSE(server.Serving());
}

}  // namespace
}  // namespace kerbview::qt
