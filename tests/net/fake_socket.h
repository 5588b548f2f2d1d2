// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "net/socket.h"

namespace kerbview::net::test {

/// A socket whose state the test sets and whose operations are recorded as text lines
/// ("close", "listen 1001", "accept", "connect 10.0.0.1:1001", "send").
class FakeSocket : public Socket {
public:
    SocketState m_state = SocketState::Closed;
    std::vector<std::string> m_log;
    std::vector<std::string> m_sent;
    std::string m_incoming;
    bool m_failListen = false;
    SocketEvents m_events;

    SocketState state() const override { return m_state; }
    void close() override {
        m_log.push_back("close");
        m_state = SocketState::Closed;
    }
    void listen(std::int32_t port) override {
        m_log.push_back("listen " + std::to_string(port));
        if (m_failListen) throw SocketError("in use");
        m_state = SocketState::Listening;
    }
    void accept() override {
        m_log.push_back("accept");
        m_state = SocketState::Connected;
    }
    void connect(const std::string& host, std::int32_t port) override {
        m_log.push_back("connect " + host + ":" + std::to_string(port));
        m_state = SocketState::Connecting;
    }
    void send(std::string_view bytes) override {
        m_log.push_back("send");
        m_sent.emplace_back(bytes);
    }
    std::string readAll() override { return std::exchange(m_incoming, {}); }
    void setEvents(SocketEvents events) override { m_events = std::move(events); }
};

}  // namespace kerbview::net::test
