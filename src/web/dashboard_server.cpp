// SPDX-License-Identifier: MIT
// The dashboard's HTTP and WebSocket server on Boost.Beast over Boost.Asio: the only file that
// sees either (they are slow to compile). Single-threaded: the io_context runs only inside Poll,
// on the host's event loop, and never waits.
#include "web/dashboard_server.h"

#include <algorithm>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/http/write.hpp>
#include <boost/beast/websocket.hpp>
#include <deque>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "web/listen_port.h"
#include "web/page_files.h"
#include "web/request_policy.h"

namespace kerbview::web {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;
using ErrorCode = boost::system::error_code;
using Request = http::request<http::string_body>;

// A browser reads each answer before it asks again; a client that keeps asking without reading
// is dropped before the answers pile up.
constexpr std::size_t kMaxUnsentAnswers = 64 * 1024;

// The system's send buffer of a connection, fixed instead of growing to megabytes: what a
// browser does not read then waits in the server's queue, where the feed's pacing sees it.
constexpr int kSystemSendBuffer = 64 * 1024;

// A browser sends nothing the dashboard uses; a longer message closes its connection.
constexpr std::size_t kMaxIncomingMessage = 1024;

// Handlers run by one Poll at most, so that a busy client cannot hold the event loop.
constexpr int kMaxHandlersPerPoll = 1000;

std::string_view View(beast::string_view s) { return {s.data(), s.size()}; }

std::string_view View(const beast::flat_buffer& b) {
    const auto data = b.data();
    return {static_cast<const char*>(data.data()), data.size()};
}

std::string ErrorText(const ErrorCode& ec) {
    return ec.category() == boost::system::system_category() ? SocketErrorText(ec.value())
                                                             : ec.message();
}

// The values of every header named field, joined with ", ".
std::string Joined(const Request& request, http::field field) {
    std::string list;
    for (auto [f, end] = request.equal_range(field); f != end; ++f) {
        if (!list.empty()) list += ", ";
        list += View(f->value());
    }
    return list;
}

// An answer as bytes on the wire.
std::string Wire(const http::response<http::string_body>& response) {
    std::ostringstream out;
    out << response;
    return std::move(out).str();
}

// An answer without a body; keepAlive false adds "Connection: close".
std::string EmptyAnswer(http::status status, bool keepAlive) {
    http::response<http::string_body> response(status, 11);
    response.keep_alive(keepAlive);
    response.prepare_payload();
    return Wire(response);
}

class Listener;

// One accepted connection: HTTP requests until it asks for the feed, then, once the WebSocket
// handshake is done, a browser on the feed. Every handler holds the connection; once closed,
// the handlers that were pending return at once.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(Listener& listener, tcp::socket socket, std::size_t maxRequestBytes,
               PacingLimits pacing)
        : m_listener(listener),
          m_socket(std::move(socket)),
          m_opened(Clock::now()),
          m_in(maxRequestBytes),
          m_maxRequestBytes(maxRequestBytes),
          m_pacing(pacing) {}

    void Start() { Read(); }
    void Close();

    bool Closed() const { return m_closed; }
    bool Feed() const { return m_feed; }
    Clock::time_point Opened() const { return m_opened; }
    BrowserPacing& Pacing() { return m_pacing; }
    /// Bytes written and not yet handed to the system: answers, or feed messages of a browser.
    std::size_t Unsent() const { return m_feed ? m_queued : m_out.size() + m_sending.size(); }

    /// Queues a feed message for this browser.
    void Send(std::shared_ptr<const std::string> message);

private:
    void Read();
    void OnRead(const ErrorCode& ec, std::size_t bytes);
    void ParseRequests();
    void Answer(Request request);
    void Refuse(http::status status);
    void Write(std::string answer, bool last);
    void Flush();
    void Upgrade();
    void OnHandshake(const ErrorCode& ec);
    void ReadMessages();
    void WriteNext();
    const MachineNames& Machine();

    Listener& m_listener;
    tcp::socket m_socket;  // moved into m_ws by the upgrade
    std::optional<websocket::stream<tcp::socket>> m_ws;
    Clock::time_point m_opened;
    bool m_closed = false;
    bool m_feed = false;

    // HTTP: requests read ahead, the one being parsed, answers queued and the one being sent.
    beast::flat_buffer m_in;
    std::size_t m_maxRequestBytes;
    std::optional<http::request_parser<http::string_body>> m_parser;
    bool m_crlfLines = false;
    bool m_reading = false;
    bool m_closeAfterAnswers = false;
    std::string m_out, m_sending;
    std::optional<Request> m_upgrade;  // waits for the answers before it
    std::optional<MachineNames> m_machine;

    // The feed: messages queued for the browser (the first one being sent) and what it sends.
    BrowserPacing m_pacing;
    std::deque<std::shared_ptr<const std::string>> m_queue;
    std::size_t m_queued = 0;
    beast::flat_buffer m_message;
};

// The listening socket and every connection of one serving; gone when serving stops.
class Listener {
public:
    Listener(DashboardHost& host, const DashboardOptions& options, const panel::PanelModel& model,
             FeedEncoder& encoder)
        : m_host(host), m_options(options), m_model(model), m_encoder(encoder), m_acceptor(m_io) {}

    ~Listener() {
        // Pending handlers go with the io_context and are never run; closing first cancels the
        // operations under them.
        for (const auto& c : std::exchange(m_connections, {})) c->Close();
    }

    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    bool Listen(std::uint16_t port, ServeFailure& failure);
    std::uint16_t Port() const { return m_port; }
    void Poll();

    int Connections() const { return static_cast<int>(m_connections.size()); }
    int Browsers() const {
        return static_cast<int>(std::count_if(m_connections.begin(), m_connections.end(),
                                              [](const auto& c) { return c->Feed(); }));
    }
    std::size_t Backlog() const {
        std::size_t sum = 0;
        for (const auto& c : m_connections) sum += c->Unsent();
        return sum;
    }

    // Called by the connections.
    const DashboardOptions& Options() const { return m_options; }
    bool FeedOpen() const { return Browsers() < m_options.maxBrowsers; }
    void Joined(Connection& browser);
    void Closed(const Connection& connection);
    std::pair<std::string, std::string> Content(const Route& route);

private:
    void Accept();
    void Publish(Clock::time_point now);
    std::chrono::milliseconds PublishInterval() const {
        const int rate = std::max(1, m_options.maxRate);
        return std::chrono::milliseconds((1000 + rate - 1) / rate);
    }

    DashboardHost& m_host;
    const DashboardOptions& m_options;
    const panel::PanelModel& m_model;
    FeedEncoder& m_encoder;
    asio::io_context m_io{1};
    tcp::acceptor m_acceptor;
    std::uint16_t m_port = 0;
    bool m_accepting = false;
    std::vector<std::shared_ptr<Connection>> m_connections;
    Clock::time_point m_nextPublish{};
};

void Connection::Close() {
    if (m_closed) return;
    m_closed = true;
    ErrorCode ignored;
    if (m_ws) {
        m_ws->next_layer().close(ignored);
    } else {
        m_socket.close(ignored);
    }
    m_listener.Closed(*this);
}

void Connection::Read() {
    if (m_closed || m_reading || m_closeAfterAnswers || m_upgrade) return;
    const std::size_t room = m_in.max_size() - m_in.size();
    if (room == 0) {
        // A request that does not fit is never answered.
        Close();
        return;
    }
    m_reading = true;
    m_socket.async_read_some(m_in.prepare(room),
                             [self = shared_from_this()](const ErrorCode& ec, std::size_t bytes) {
                                 self->OnRead(ec, bytes);
                             });
}

void Connection::OnRead(const ErrorCode& ec, std::size_t bytes) {
    m_reading = false;
    if (m_closed) return;
    if (ec) {
        // A client that has sent all it will still gets the answers under way.
        if (ec == asio::error::eof && (!m_out.empty() || !m_sending.empty())) {
            m_closeAfterAnswers = true;
        } else {
            Close();
        }
        return;
    }
    m_in.commit(bytes);
    ParseRequests();
    Read();
}

void Connection::ParseRequests() {
    while (!m_closed && !m_closeAfterAnswers && !m_upgrade && m_in.size() > 0) {
        if (!m_parser) {
            m_parser.emplace();
            m_parser->header_limit(static_cast<std::uint32_t>(m_maxRequestBytes));
            m_parser->body_limit(m_maxRequestBytes);
        }
        const bool hadHead = m_parser->is_header_done();
        const std::string_view raw = View(m_in);
        ErrorCode ec;
        std::size_t used = 0;
        try {
            used = m_parser->put(m_in.data(), ec);
        } catch (const std::length_error&) {
            Close();  // a field longer than Beast keeps: does not fit either
            return;
        }
        if (!hadHead && m_parser->is_header_done()) m_crlfLines = HeadLinesEndInCrLf(raw);
        m_in.consume(used);
        if (ec == http::error::need_more) return;
        if (ec == http::error::header_limit || ec == http::error::body_limit ||
            ec == http::error::buffer_overflow) {
            Close();  // does not fit: never answered
            return;
        }
        if (ec) {
            Refuse(http::status::bad_request);  // malformed, bare line feeds included
            return;
        }
        if (m_parser->is_done()) {
            Request request = m_parser->release();
            m_parser.reset();
            Answer(std::move(request));
        } else if (used == 0) {
            return;
        }
    }
}

const MachineNames& Connection::Machine() {
    if (!m_machine) {
        MachineNames machine{MachineHostName(), MachineIpv4Addresses()};
        ErrorCode ec;
        const tcp::endpoint local = m_socket.local_endpoint(ec);
        if (!ec) {
            const asio::ip::address address = local.address();
            machine.addresses.push_back(address.to_string());
            if (address.is_v6() && address.to_v6().is_v4_mapped()) {
                machine.addresses.push_back(
                    asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6()).to_string());
            }
        }
        m_machine = std::move(machine);
    }
    return *m_machine;
}

void Connection::Answer(Request request) {
    if (Unsent() > kMaxUnsentAnswers) {
        Close();
        return;
    }
    RequestHead head;
    for (auto [f, end] = request.equal_range(http::field::host); f != end; ++f) {
        head.hosts.push_back(View(f->value()));
    }
    const std::string upgrade = Joined(request, http::field::upgrade);
    const std::string connection = Joined(request, http::field::connection);
    head.upgrade = upgrade;
    head.connection = connection;
    const auto origin = request.find(http::field::origin);
    if (origin != request.end()) head.origin = View(origin->value());
    head.method = View(request.method_string());
    const std::string_view target = View(request.target());
    head.path = target.substr(0, target.find('?'));
    head.crlfLines = m_crlfLines;
    const Decision decision = DecideRequest(head, Machine());
    switch (decision.answer) {
        case web::Answer::Serve: break;
        case web::Answer::BadRequest: Refuse(http::status::bad_request); return;
        case web::Answer::Forbidden: Refuse(http::status::forbidden); return;
        case web::Answer::NotFound:
            Write(EmptyAnswer(http::status::not_found, request.keep_alive()),
                  !request.keep_alive());
            return;
    }
    // Only the feed is an upgrade, and only the handshake of a WebSocket as Beast takes it.
    const bool feed = decision.route.resource == Resource::Feed;
    if (feed != websocket::is_upgrade(request)) {
        Refuse(http::status::bad_request);
        return;
    }
    if (feed) {
        if (!m_listener.FeedOpen()) {
            Refuse(http::status::service_unavailable);
        } else if (m_in.size() > 0) {
            // Sent before the handshake was answered: no browser does that.
            Refuse(http::status::bad_request);
        } else {
            m_upgrade = std::move(request);
            Flush();
        }
        return;
    }
    auto [body, type] = m_listener.Content(decision.route);
    if (body.empty()) {
        Write(EmptyAnswer(http::status::not_found, request.keep_alive()), !request.keep_alive());
        return;
    }
    http::response<http::string_body> response(http::status::ok, 11);
    response.set(http::field::content_type, type);
    response.set(http::field::cache_control, "no-cache");
    response.set("X-Content-Type-Options", "nosniff");
    response.set("Referrer-Policy", "no-referrer");
    // Older browsers do not count the feed's ws: address as 'self'.
    response.set("Content-Security-Policy",
                 "default-src 'self'; connect-src 'self' ws: wss:; img-src 'self'; "
                 "frame-ancestors 'none'");
    response.body() = std::move(body);
    response.keep_alive(request.keep_alive());
    response.prepare_payload();
    Write(Wire(response), !request.keep_alive());
}

// A refused request is answered and its connection closed, so a client that sends nothing else
// holds no connection; nothing more is read from it.
void Connection::Refuse(http::status status) { Write(EmptyAnswer(status, false), true); }

// last: the connection closes once this answer is sent, and nothing more is read.
void Connection::Write(std::string answer, bool last) {
    m_closeAfterAnswers = m_closeAfterAnswers || last;
    m_out += answer;
    Flush();
}

// Sends what is queued, one write at a time; once all is sent, closes the connection or hands
// it to the WebSocket handshake when that was asked.
void Connection::Flush() {
    if (m_closed || !m_sending.empty()) return;
    if (!m_out.empty()) {
        m_sending.swap(m_out);
        asio::async_write(m_socket, asio::buffer(m_sending),
                          [self = shared_from_this()](const ErrorCode& ec, std::size_t) {
                              if (self->m_closed) return;
                              if (ec) {
                                  self->Close();
                                  return;
                              }
                              self->m_sending.clear();
                              self->Flush();
                          });
    } else if (m_closeAfterAnswers) {
        ErrorCode ignored;
        m_socket.shutdown(tcp::socket::shutdown_send, ignored);
        Close();
    } else if (m_upgrade && !m_reading) {
        Upgrade();
    }
}

void Connection::Upgrade() {
    m_ws.emplace(std::move(m_socket));
    m_ws->read_message_max(kMaxIncomingMessage);
    // The listener's deadline covers the handshake; this one bounds the closing handshake of a
    // browser that broke the protocol and then keeps its connection open.
    websocket::stream_base::timeout timeout{};
    timeout.handshake_timeout = m_listener.Options().requestDeadline;
    timeout.idle_timeout = websocket::stream_base::none();
    timeout.keep_alive_pings = false;
    m_ws->set_option(timeout);
    // The handshake's answer names the program, not the library and its version.
    m_ws->set_option(websocket::stream_base::decorator(
        [](websocket::response_type& response) { response.set(http::field::server, "Kerbview"); }));
    m_ws->async_accept(*m_upgrade,
                       [self = shared_from_this()](const ErrorCode& ec) { self->OnHandshake(ec); });
}

void Connection::OnHandshake(const ErrorCode& ec) {
    m_upgrade.reset();
    if (m_closed) return;
    if (ec || !m_listener.FeedOpen()) {
        Close();
        return;
    }
    m_feed = true;
    m_ws->text(true);
    m_listener.Joined(*this);
    ReadMessages();
}

// What a browser sends is read and dropped; a message too long or a broken frame ends it.
void Connection::ReadMessages() {
    m_ws->async_read(m_message, [self = shared_from_this()](const ErrorCode& ec, std::size_t) {
        if (self->m_closed) return;
        if (ec) {
            self->Close();
            return;
        }
        self->m_message.clear();
        self->ReadMessages();
    });
}

void Connection::Send(std::shared_ptr<const std::string> message) {
    m_queued += message->size();
    m_queue.push_back(std::move(message));
    if (m_queue.size() == 1) WriteNext();
}

void Connection::WriteNext() {
    m_ws->async_write(asio::buffer(*m_queue.front()),
                      [self = shared_from_this()](const ErrorCode& ec, std::size_t) {
                          if (self->m_closed) return;
                          if (ec) {
                              self->Close();
                              return;
                          }
                          self->m_queued -= self->m_queue.front()->size();
                          self->m_queue.pop_front();
                          if (!self->m_queue.empty()) self->WriteNext();
                      });
}

bool Listener::Listen(std::uint16_t port, ServeFailure& failure) {
    ErrorCode ec;
    const asio::ip::address_v4 address = asio::ip::make_address_v4(m_options.address, ec);
    const tcp::endpoint endpoint(address, port);
    if (!ec) m_acceptor.open(endpoint.protocol(), ec);
    for (const auto rule : {SharePortAsListener, KeepFromChildProcesses}) {
        if (ec) break;
        if (const int error = rule(m_acceptor.native_handle()); error != 0) {
            ec.assign(error, boost::system::system_category());
        }
    }
    if (!ec) m_acceptor.bind(endpoint, ec);
    if (!ec) m_acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (!ec) m_port = m_acceptor.local_endpoint(ec).port();
    if (ec) {
        failure.portInUse = ec == asio::error::address_in_use;
        failure.error = ErrorText(ec);
        return false;
    }
    Accept();
    return true;
}

void Listener::Accept() {
    m_accepting = true;
    m_acceptor.async_accept([this](const ErrorCode& ec, tcp::socket socket) {
        m_accepting = false;
        // A failed accept (out of descriptors, say) is tried again at the next Poll.
        if (ec) return;
        if (Connections() >= m_options.maxConnections) {
            ErrorCode ignored;
            socket.close(ignored);
        } else {
            ErrorCode ignored;
            socket.set_option(asio::socket_base::send_buffer_size(kSystemSendBuffer), ignored);
            KeepFromChildProcesses(socket.native_handle());
            auto c = std::make_shared<Connection>(*this, std::move(socket),
                                                  m_options.maxRequestBytes, m_options.pacing);
            m_connections.push_back(c);
            c->Start();
        }
        Accept();
    });
}

void Listener::Poll() {
    m_io.restart();
    for (int i = 0; i < kMaxHandlersPerPoll && m_io.poll_one() > 0; ++i) {
    }
    if (!m_accepting) Accept();
    const Clock::time_point now = Clock::now();
    // A connection that is not on the feed has a deadline, a handshake under way included.
    std::vector<std::shared_ptr<Connection>> expired;
    for (const auto& c : m_connections) {
        if (!c->Feed() && now - c->Opened() > m_options.requestDeadline) expired.push_back(c);
    }
    for (const auto& c : expired) c->Close();
    if (Browsers() > 0 && now >= m_nextPublish) {
        Publish(now);
        m_nextPublish = std::max(m_nextPublish + PublishInterval(), now);
    }
}

void Listener::Joined(Connection& browser) {
    if (Browsers() == 1) {
        // Nobody needs the changes made while no browser was connected.
        m_encoder.SkipToNow();
        m_nextPublish = Clock::now() + PublishInterval();
    }
    browser.Send(std::make_shared<const std::string>(m_encoder.Full()));
    if (auto laps = m_encoder.Laps()) browser.Send(std::make_shared<const std::string>(*laps));
}

void Listener::Closed(const Connection& connection) {
    std::erase_if(m_connections, [&](const auto& c) { return c.get() == &connection; });
}

// The laps go with the panel's changes and under the same pacing: a browser brought back to
// the latest state gets the whole laps again, since it may have missed the last ones.
void Listener::Publish(Clock::time_point now) {
    const auto shared = [](std::optional<std::string> message) {
        return message ? std::make_shared<const std::string>(std::move(*message)) : nullptr;
    };
    const auto deltaMessage = shared(m_encoder.Delta());
    const auto lapsMessage = shared(m_encoder.LapsMoved());
    std::shared_ptr<const std::string> full, laps;
    std::vector<std::shared_ptr<Connection>> dropped;
    for (const auto& c : m_connections) {
        if (!c->Feed()) continue;
        switch (c->Pacing().Next(c->Unsent(), deltaMessage || lapsMessage, now)) {
            case FeedStep::Nothing: break;
            case FeedStep::SendDelta:
                if (deltaMessage) c->Send(deltaMessage);
                if (lapsMessage) c->Send(lapsMessage);
                break;
            case FeedStep::SendFull:
                if (!full) {
                    full = std::make_shared<const std::string>(m_encoder.Full());
                    laps = shared(m_encoder.Laps());
                }
                c->Send(full);
                if (laps) c->Send(laps);
                break;
            case FeedStep::Drop: dropped.push_back(c); break;
        }
    }
    for (const auto& c : dropped) c->Close();
}

std::pair<std::string, std::string> Listener::Content(const Route& route) {
    switch (route.resource) {
        case Resource::Page: return {std::string(PageHtml()), "text/html; charset=utf-8"};
        case Resource::Script: return {std::string(PageScript()), "text/javascript; charset=utf-8"};
        case Resource::Style: return {std::string(PageStyle()), "text/css; charset=utf-8"};
        case Resource::Picture:
            return m_host.Picture(route.picture, m_model[route.picture].picture);
        case Resource::Feed:
        case Resource::None: break;
    }
    return {};
}

}  // namespace

struct DashboardServer::Impl {
    Impl(DashboardHost& h, DashboardOptions o) : host(h), options(std::move(o)) {}

    DashboardHost& host;
    DashboardOptions options;
    const panel::PanelModel* model = nullptr;
    const laps::LapsView* laps = nullptr;
    core::ColourNumber panelColour = 0;
    std::unique_ptr<FeedEncoder> encoder;
    ServeFailure failure;
    std::unique_ptr<Listener> listener;

    void CloseListener() {
        if (!listener) return;
        host.StopPolling();
        listener.reset();
    }
};

DashboardServer::DashboardServer(DashboardHost& host, DashboardOptions options)
    : m_impl(std::make_unique<Impl>(host, std::move(options))) {}

DashboardServer::~DashboardServer() { Stop(); }

bool DashboardServer::Serve(const panel::PanelModel& model, core::ColourNumber panelColour,
                            std::uint16_t port, const laps::LapsView* laps) {
    Impl& s = *m_impl;
    if (!s.encoder || s.model != &model || s.laps != laps || s.panelColour != panelColour) {
        Stop();
        s.encoder = std::make_unique<FeedEncoder>(model, s.host.Look(panelColour), laps);
        s.model = &model;
        s.laps = laps;
        s.panelColour = panelColour;
    }
    s.failure = {};
    if (s.listener && (port == 0 || port == s.listener->Port())) return true;
    s.CloseListener();
    auto listener = std::make_unique<Listener>(s.host, s.options, model, *s.encoder);
    if (!listener->Listen(port, s.failure)) return false;
    s.listener = std::move(listener);
    s.host.StartPolling(s.options.pollInterval, [this] { Poll(); });
    return true;
}

// The listener goes with its browsers and the encoder: nothing is left that reads the model.
void DashboardServer::Stop() {
    Impl& s = *m_impl;
    s.CloseListener();
    s.encoder.reset();
    s.model = nullptr;
    s.laps = nullptr;
    s.failure = {};
}

bool DashboardServer::Serving() const { return m_impl->listener != nullptr; }

std::uint16_t DashboardServer::Port() const {
    return m_impl->listener ? m_impl->listener->Port() : 0;
}

ServeFailure DashboardServer::Failure() const { return m_impl->failure; }

std::vector<std::string> DashboardServer::Addresses() const { return MachineIpv4Addresses(); }

void DashboardServer::Poll() {
    if (m_impl->listener) m_impl->listener->Poll();
}

int DashboardServer::Browsers() const {
    return m_impl->listener ? m_impl->listener->Browsers() : 0;
}

int DashboardServer::Connections() const {
    return m_impl->listener ? m_impl->listener->Connections() : 0;
}

std::size_t DashboardServer::Backlog() const {
    return m_impl->listener ? m_impl->listener->Backlog() : 0;
}

}  // namespace kerbview::web
