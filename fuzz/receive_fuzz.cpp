// SPDX-License-Identifier: MIT
// libFuzzer target for the client's receive path: the bytes a server can send, cut into reads,
// through the data-arrival handler, the receive buffer, AcceptPacket and UnpackTelemetry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "net/net_roles.h"
#include "net/wire_format.h"

namespace {

using namespace kerbview;

/// A client socket whose received bytes are handed out one read at a time.
class ScriptedSocket : public net::Socket {
public:
    std::string m_nextRead;
    net::SocketEvents m_events;
    net::SocketState state() const override { return net::SocketState::Connected; }
    void close() override {}
    void listen(std::int32_t) override {}
    void accept() override {}
    void connect(const std::string&, std::int32_t) override {}
    void send(std::string_view) override {}
    std::string readAll() override { return std::exchange(m_nextRead, {}); }
    void setEvents(net::SocketEvents events) override { m_events = std::move(events); }
};

/// The program around the client's roles: the client's Lectures unpacks every accepted packet.
class Host : public net::RolesHost {
public:
    net::NetRoles* roles = nullptr;
    bool timerRunning = true;
    telemetry::Snapshot snapshot;

    void SetScanTimerEnabled(bool enabled) override { timerRunning = enabled; }
    void ClientLectures() override {
        try {
            roles->UnpackTelemetry(snapshot, {});
        } catch (const std::exception&) {
        }
    }
    void OnConnectionStatus(net::ConnectionStatus) override {}
    void OnListenFailed(const net::ListenFailure&) override {}
    void OnClientDropped(const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the read sizes and the decimal separator; the rest is the stream.
    std::uint32_t cut = data[0];
    const char sep = (cut & 1) ? ',' : '.';
    const std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);

    core::Settings settings;
    settings.TipusConexio = 2;
    core::ErrorReporter errors;
    ScriptedSocket server;
    ScriptedSocket client;
    Host host;
    net::NetRoles roles(server, client, settings, errors, host, sep);
    host.roles = &roles;

    std::size_t pos = 0;
    while (pos < stream.size()) {
        cut = cut * 1103515245u + 12345u;
        const std::size_t len = 1 + (cut >> 16) % 97;
        client.m_nextRead = std::string(stream.substr(pos, len));
        pos += len;
        client.m_events.dataArrival();
        if (!host.timerRunning) std::abort();  // the timer must run again after every arrival
        if (roles.Received().Size() >= net::ReceiveBuffer::kMaxPacketBytes) std::abort();
    }

    // The original one-shot check on the raw stream must never crash either.
    std::string received;
    try {
        if (net::AcceptPacket(stream, received)) {
            telemetry::Snapshot s;
            net::UnpackTelemetry(received, s, {});
        }
    } catch (const std::exception&) {
    }
    return 0;
}
