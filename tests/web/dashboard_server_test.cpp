// SPDX-License-Identifier: MIT
// The dashboard server on 127.0.0.1 against hostile and stalled clients. The test polls the
// server itself, as the host's event loop would, and runs its clients on an io_context of its
// own between polls.
#include <gtest/gtest.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/websocket.hpp>

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "web/dashboard_server.h"

namespace kerbview::web {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const std::string kUpgrade =
    "GET /feed HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
    "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";

// The host of a front end: polls when asked (the test's Spin does it) and has a built-in car.
class FakeHost final : public DashboardHost {
public:
    void StartPolling(std::chrono::milliseconds, std::function<void()> poll) override {
        m_poll = std::move(poll);
    }
    void StopPolling() override { m_poll = nullptr; }
    DashboardLook Look(core::ColourNumber) override { return {}; }
    std::pair<std::string, std::string> Picture(panel::Element e,
                                                const std::string& file) override {
        if (file.empty() && HasBuiltinPicture(e)) return {"GIF89a", "image/gif"};
        return {};
    }
    bool Polling() const { return m_poll != nullptr; }
    void Tick() {
        if (m_poll) m_poll();
    }

private:
    std::function<void()> m_poll;
};

DashboardOptions TestOptions() {
    return {.address = "127.0.0.1",
            .maxBrowsers = 2,
            .maxConnections = 8,
            .maxRequestBytes = 4096,
            .requestDeadline = 400ms,
            .pacing = {.dropAfter = 1500ms}};
}

// The server's host, the panel it serves and the clients' io_context. Spin runs the host and the
// clients in turns until done() or ms have passed; each() runs at every turn.
class DashboardServerTest : public ::testing::Test {
protected:
    bool Spin(const std::function<bool()>& done, int ms, const std::function<void()>& each = {}) {
        for (const auto end = Clock::now() + std::chrono::milliseconds(ms);;) {
            fakeHost.Tick();
            io.restart();
            io.poll();
            if (each) each();
            if (done()) return true;
            if (Clock::now() >= end) return false;
            std::this_thread::sleep_for(1ms);
        }
    }
    FakeHost fakeHost;
    asio::io_context io;
    panel::PanelModel model;
};

// One connection that sends its bytes and keeps what comes back until the server closes it; a
// refused one is closed at once. A client that does not read (read false) starts at ReadAll.
struct RawClient {
    struct State {
        explicit State(asio::io_context& io) : socket(io) {}
        tcp::socket socket;
        std::string received;
        std::size_t sent = 0;
        bool closed = false;
        std::array<char, 16384> chunk{};
    };
    std::shared_ptr<State> s;

    RawClient(asio::io_context& io, std::uint16_t port, const std::string& request,
              bool read = true)
        : s(std::make_shared<State>(io)) {
        boost::system::error_code ec;
        s->socket.connect({asio::ip::address_v4::loopback(), port}, ec);
        if (ec) {
            s->closed = true;
            return;
        }
        if (!request.empty()) Send(request);
        if (read) ReadAll();
    }
    ~RawClient() {
        boost::system::error_code ignored;
        s->socket.close(ignored);
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    void Send(const std::string& bytes) {
        auto data = std::make_shared<std::string>(bytes);
        asio::async_write(s->socket, asio::buffer(*data),
                          [data, state = s](auto, std::size_t n) { state->sent += n; });
    }
    void ReadAll() { Read(s); }
    static void Read(const std::shared_ptr<State>& state) {
        state->socket.async_read_some(asio::buffer(state->chunk),
                                      [state](boost::system::error_code ec, std::size_t n) {
                                          if (ec) {
                                              state->closed = true;
                                              return;
                                          }
                                          state->received.append(state->chunk.data(), n);
                                          Read(state);
                                      });
    }
    bool Answered() const { return s->closed || s->received.find("\r\n\r\n") != std::string::npos; }
};

// A browser on the feed: keeps every message; failed when the handshake was refused.
struct Browser {
    struct State {
        explicit State(asio::io_context& io) : ws(io) {}
        websocket::stream<tcp::socket> ws;
        beast::flat_buffer buffer;
        std::vector<std::string> messages;
        bool open = false, failed = false;
    };
    std::shared_ptr<State> s;

    Browser(asio::io_context& io, std::uint16_t port) : s(std::make_shared<State>(io)) {
        boost::system::error_code ec;
        s->ws.next_layer().connect({asio::ip::address_v4::loopback(), port}, ec);
        s->ws.async_handshake("127.0.0.1", "/feed", [state = s](boost::system::error_code e) {
            state->failed = static_cast<bool>(e);
            state->open = !e;
            if (!e) Read(state);
        });
    }
    ~Browser() {
        boost::system::error_code ignored;
        s->ws.next_layer().close(ignored);
    }
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    static void Read(const std::shared_ptr<State>& state) {
        state->ws.async_read(state->buffer, [state](boost::system::error_code e, std::size_t) {
            if (e) {
                state->open = false;
                return;
            }
            state->messages.push_back(beast::buffers_to_string(state->buffer.data()));
            state->buffer.clear();
            Read(state);
        });
    }
};

TEST_F(DashboardServerTest, HostileRequestsGetNoMoreThanTheirAnswerAndLeaveNoConnectionBehind) {
    DashboardServer server(fakeHost, TestOptions());
    ASSERT_TRUE(server.Serve(model, 0, 0, nullptr)) << server.Failure().error;
    const std::string big(100 * 1024, 'a');
    const std::string host = "Host: 127.0.0.1\r\n";
    const std::string upgrade = "GET /feed HTTP/1.1\r\n" + host + "Upgrade: websocket\r\n";
    struct Case {
        std::string request;
        const char* answer;  // start of the answer; "" for none: dropped unanswered
        bool closes;         // refused: closed once answered
    };
    // Which requests are served is the request policy's table (web_tests); here the server keeps
    // to it, and hostile requests leave nothing behind.
    const Case cases[] = {
        {"GET /dashboard.css HTTP/1.1\r\n" + host + "\r\n", "HTTP/1.1 200", false},
        {"GET / HTTP/1.1\r\nHost: " + MachineHostName() + "\r\n\r\n", "HTTP/1.1 200", false},
        {"GET /picture/Image1 HTTP/1.1\r\n" + host + "\r\n", "HTTP/1.1 200", false},
        {"GET /picture/Image2 HTTP/1.1\r\n" + host + "\r\n", "HTTP/1.1 404", false},  // none
        {"POST / HTTP/1.1\r\n" + host + "Content-Length: 5\r\n\r\nhello", "HTTP/1.1 404", false},
        {"GET / HTTP/1.1\r\n\r\n", "HTTP/1.1 400", true},
        {upgrade + "Connection: Upgrade\r\nOrigin: http://attacker.example\r\n\r\n", "HTTP/1.1 403",
         true},
        {"GET /feed HTTP/1.1\nHost: 127.0.0.1\nUpgrade: websocket\nConnection: Upgrade\n\n",
         "HTTP/1.1 400", true},
        {"GARBAGE\r\n\r\n", "HTTP/1.1 400", true},
        {"GET / HTTP/1.1\r\nX: " + big + "\r\n\r\n", "", true},
        {"POST / HTTP/1.1\r\n" + host + "Content-Length: 1000000000\r\n\r\n" + big, "", true},
        {"GET / HTTP/1.1\r\n" + host, "", true},  // never finished
    };
    std::size_t worst = 0;
    const auto watch = [&] { worst = std::max(worst, server.Backlog()); };
    for (const Case& c : cases) {
        RawClient client(io, server.Port(), c.request);
        Spin([&] { return client.Answered(); }, 2000, watch);
        // Refused at once, well before the deadline; dropped unanswered by the deadline at most.
        Spin([&] { return client.s->closed; }, !c.closes ? 50 : *c.answer ? 250 : 2000);
        EXPECT_TRUE(client.s->received.starts_with(c.answer) &&
                    (*c.answer != '\0' || client.s->received.empty()) &&
                    client.s->closed == c.closes)
            << c.request.substr(0, 40) << " -> " << client.s->received.substr(0, 40)
            << (client.s->closed ? " (closed)" : "");
    }
    // A client that asks again and again without reading the answers is dropped before they
    // pile up (more than the system's buffers on the way can hold).
    std::string pipelined;
    for (int i = 0; i < 2000; ++i) pipelined += "GET /dashboard.js HTTP/1.1\r\n" + host + "\r\n";
    {
        RawClient flood(io, server.Port(), pipelined, false);
        EXPECT_TRUE(Spin([&] { return server.Connections() == 0; }, 2000, watch))
            << server.Connections();
        flood.ReadAll();
        EXPECT_TRUE(Spin([&] { return flood.s->closed; }, 2000));
        EXPECT_LT(worst, 256u * 1024);
    }
    // Clients that hang up on their pipelined requests leave the server with nothing to say:
    // dropped connections are expected and write nothing on standard error.
    testing::internal::CaptureStderr();
    for (int i = 0; i < 20; ++i) {
        RawClient gone(io, server.Port(), pipelined, false);
        Spin([] { return false; }, 5);
    }
    Spin([&] { return server.Connections() == 0; }, 2000);
    Spin([] { return false; }, 100);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    // Idle connections beyond the limit are closed at once.
    {
        std::vector<std::unique_ptr<RawClient>> idle;
        for (int i = 0; i < 11; ++i)
            idle.push_back(std::make_unique<RawClient>(io, server.Port(), ""));
        Spin([] { return false; }, 200);
        EXPECT_EQ(server.Connections(), 8);
        EXPECT_EQ(std::count_if(idle.begin(), idle.end(), [](auto& c) { return c->s->closed; }), 3);
    }
    ASSERT_TRUE(Spin([&] { return server.Connections() == 0; }, 2000));
    // A head that never ends is not read past the read-ahead bound before the connection is
    // dropped; the system's buffers on the way take a few megabytes.
    RawClient endless(io, server.Port(), "GET / HTTP/1.1\r\n", false);
    std::string stream;
    while (stream.size() < 64 * 1024) stream += "X: " + std::string(1000, 'b') + "\r\n";
    const std::size_t total = 48 << 20;
    Spin([&] { return endless.s->closed || endless.s->sent >= total; }, 3000,
         [&] {
             boost::system::error_code ec;
             endless.s->socket.non_blocking(true, ec);
             const std::size_t n = endless.s->socket.write_some(asio::buffer(stream), ec);
             if (!ec) endless.s->sent += n;
             if (ec && ec != asio::error::would_block) endless.s->closed = true;
         });
    EXPECT_TRUE(endless.s->closed);
    EXPECT_LT(endless.s->sent, 8u << 20) << "taken by the server and the buffers on the way";
    // The hostile clients left the server as it was.
    RawClient page(io, server.Port(), "GET / HTTP/1.1\r\n" + host + "\r\n");
    EXPECT_TRUE(Spin([&] { return page.s->received.find("</html>") != std::string::npos; }, 2000));
    // Served again at once on its port, although connections it closed are still closing.
    const std::uint16_t port = server.Port();
    server.Stop();
    EXPECT_TRUE(server.Serve(model, 0, port, nullptr)) << server.Failure().error;
}

// Its name is served by the hostile requests' table.
TEST_F(DashboardServerTest, TheMachineListsItsLoopbackAddress) {
    EXPECT_GE(std::ranges::count(MachineIpv4Addresses(), "127.0.0.1"), 1);
}

TEST_F(DashboardServerTest, BrowsersAreBoundedAndOneThatStopsReadingIsDroppedWithoutPilingUp) {
    // Large, ever-changing texts fill a stalled browser's buffers within a second.
    int tick = 0;
    auto churned = Clock::now();
    const auto churn = [&] {
        if (Clock::now() - churned < 5ms) return;
        churned = Clock::now();
        ++tick;
        for (int n = 2; n <= 40; ++n)
            model.SetText(panel::LabelN(n), std::string(1000, static_cast<char>('a' + tick % 26)));
    };
    DashboardServer server(fakeHost, TestOptions());
    ASSERT_TRUE(server.Serve(model, 0, 0, nullptr));

    // The stalled browser: a plain socket with a tiny receive buffer that never reads.
    tcp::socket stalled(io);
    stalled.open(tcp::v4());
    stalled.set_option(asio::socket_base::receive_buffer_size(4096));
    stalled.connect({asio::ip::address_v4::loopback(), server.Port()});
    asio::write(stalled, asio::buffer(kUpgrade));
    ASSERT_TRUE(Spin([&] { return server.Browsers() == 1; }, 3000, churn));

    Browser reader(io, server.Port());
    ASSERT_TRUE(Spin([&] { return server.Browsers() == 2; }, 3000, churn));
    Browser third(io, server.Port());
    Spin([&] { return third.s->failed || third.s->open; }, 3000, churn);
    EXPECT_TRUE(third.s->failed) << "a third browser over the limit";

    std::size_t worst = 0;
    const auto start = Clock::now();
    const std::size_t before = reader.s->messages.size();
    EXPECT_TRUE(Spin([&] { return server.Browsers() == 1; }, 8000,
                     [&] {
                         churn();
                         worst = std::max(worst, server.Backlog());
                     }));
    Spin([] { return false; }, 1000, churn);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const auto got = static_cast<double>(reader.s->messages.size() - before);
    // What waited stayed under the skip bound plus one message for each browser.
    const std::size_t message = FeedEncoder(model, {}).Full().size();
    EXPECT_LT(worst, 64 * 1024 + 2 * message);
    // The reading browser was kept up to date, at no more than 30 messages a second.
    ASSERT_FALSE(reader.s->messages.empty());
    EXPECT_EQ(reader.s->messages.front().substr(9, 5), "full\"");
    EXPECT_LE(got, 30 * seconds + 2);
    EXPECT_GE(got, 5 * seconds);
}

TEST_F(DashboardServerTest, MalformedFramesDropOnlyTheBrowserThatSentThem) {
    DashboardOptions options = TestOptions();
    options.maxBrowsers = 16;
    DashboardServer server(fakeHost, options);
    ASSERT_TRUE(server.Serve(model, 0, 0, nullptr));
    Browser watcher(io, server.Port());
    const auto& seen = watcher.s->messages;
    ASSERT_TRUE(Spin([&] { return seen.size() == 1; }, 3000));
    std::mt19937 random(15);
    int dropped = 0;
    for (int i = 0; i < 200; ++i) {
        RawClient client(io, server.Port(), kUpgrade);
        Spin([&] { return client.Answered(); }, 2000);
        // Random frames: any opcode and length field, masked or not, with random payloads.
        std::string frames;
        for (int f = 0; f < 20; ++f) {
            const std::size_t length = 2 + random() % 300;
            for (std::size_t b = 0; b < length; ++b) frames += static_cast<char>(random() % 256);
        }
        client.Send(frames);
        dropped += Spin([&] { return client.s->closed; }, 50) ? 1 : 0;
    }
    EXPECT_GT(dropped, 100) << "most random frames break the protocol";
    // A well-formed message far longer than a browser ever sends closes its connection too.
    RawClient talker(io, server.Port(), kUpgrade);
    Spin([&] { return talker.Answered(); }, 2000);
    talker.Send(std::string("\x81\xFF\0\0\0\0\0\1\0\0\0\0\0\0", 14) + std::string(65536, 'x'));
    EXPECT_TRUE(Spin([&] { return talker.s->closed; }, 2000));
    EXPECT_TRUE(Spin([&] { return server.Browsers() == 1 && server.Connections() == 1; }, 5000))
        << server.Browsers() << " browsers, " << server.Connections() << " connections";
    EXPECT_TRUE(watcher.s->open);
    // Serving again on the same port, or on any port, keeps the browsers.
    const std::uint16_t port = server.Port();
    EXPECT_TRUE(server.Serve(model, 0, port, nullptr));
    EXPECT_TRUE(server.Serve(model, 0, 0, nullptr));
    EXPECT_EQ(server.Port(), port);
    model.SetText(panel::LabelN(1), "after");
    EXPECT_TRUE(Spin([&] { return seen.size() == 2; }, 3000)) << "the watcher's feed goes on";

    // Stopped, nothing listens and nothing polls; served again on a port another server holds,
    // it fails and says why.
    server.Stop();
    EXPECT_FALSE(fakeHost.Polling());
    EXPECT_TRUE(Spin([&] { return !watcher.s->open; }, 2000));
    RawClient refused(io, port, "");
    EXPECT_TRUE(refused.s->closed) << "connected to a server that stopped";
    FakeHost other;
    DashboardServer holder(other, TestOptions());
    ASSERT_TRUE(holder.Serve(model, 0, 0, nullptr));
    EXPECT_FALSE(server.Serve(model, 0, holder.Port(), nullptr));
    EXPECT_TRUE(server.Failure().portInUse);
    EXPECT_FALSE(server.Failure().error.empty());
    EXPECT_FALSE(server.Serving());
    EXPECT_FALSE(fakeHost.Polling());
}

}  // namespace
}  // namespace kerbview::web
