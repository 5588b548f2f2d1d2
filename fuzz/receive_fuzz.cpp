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
    net::SocketState state() const override { return net::SocketState::Connected; }
    void close() override {}
    void listen(std::int32_t) override {}
    void accept() override {}
    void connect(const std::string&, std::int32_t) override {}
    void send(std::string_view) override {}
    std::string readAll() override { return std::exchange(m_nextRead, {}); }
    void setEvents(net::SocketEvents) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the read sizes and the decimal separator; the rest is the stream.
    std::uint32_t cut = data[0];
    const char sep = (cut & 1) ? ',' : '.';
    const std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);

    core::Settings settings;
    settings.TipusConexio = core::Role::Client;
    core::ErrorReporter errors;
    ScriptedSocket server;
    ScriptedSocket client;
    net::NetRoles roles(server, client, settings, errors, sep);
    telemetry::Snapshot snapshot;

    std::size_t pos = 0;
    while (pos < stream.size()) {
        cut = cut * 1103515245u + 12345u;
        const std::size_t len = 1 + (cut >> 16) % 97;
        client.m_nextRead = std::string(stream.substr(pos, len));
        pos += len;
        // The client's Lectures unpacks every packet accepted.
        for (std::string& receivedText : roles.TCPClient_DataArrival()) {
            try {
                net::UnpackTelemetry(receivedText, snapshot, {});
            } catch (const std::exception&) {
            }
        }
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
