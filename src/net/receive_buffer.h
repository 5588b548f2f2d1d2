// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kerbview::net {

/// The client's receive buffer: TCP delivers a byte stream, so packets are taken from it by the
/// length in their header. A packet split across reads is completed, several packets in one read
/// come out one by one in order, and bytes that cannot start a header are discarded up to the
/// next plausible header (net::CheckHeader).
///
/// Memory is bounded: Feed appends at most kChunkSize bytes before taking packets out, and an
/// incomplete packet is never longer than 32766 bytes, so the buffer never holds more than
/// kMaxPacketBytes + kChunkSize bytes whatever the server sends.
class ReceiveBuffer {
public:
    /// Longest packet: header value 32767, packet length = header value - 1.
    static constexpr std::size_t kMaxPacketBytes = 32766;
    /// Most bytes appended at once by Feed.
    static constexpr std::size_t kChunkSize = 32768;

    /// Appends bytes in chunks and calls onPacket(std::string_view packet) for every complete
    /// packet, oldest first. The view is valid only during the call. onPacket may throw; the
    /// packet it was given is then gone and the exception propagates, leaving the rest buffered.
    template <class OnPacket>
    void Feed(std::string_view bytes, OnPacket&& onPacket) {
        do {
            const std::string_view chunk = bytes.substr(0, kChunkSize);
            bytes.remove_prefix(chunk.size());
            Append(chunk);
            while (TakePacket()) onPacket(std::string_view(m_packet));
        } while (!bytes.empty());
    }

    /// Appends bytes without taking packets out.
    void Append(std::string_view bytes);
    /// Moves the oldest complete packet into Packet() and returns true; false when none is
    /// complete yet. Discards bytes that cannot start a header on the way.
    bool TakePacket();
    /// The packet last taken by TakePacket.
    const std::string& Packet() const { return m_packet; }

    /// Bytes discarded since the last call, then resets the count.
    std::size_t TakeDiscarded();
    /// Drops everything buffered (a new connection starts a new stream).
    void Clear();
    /// Bytes waiting for the rest of their packet.
    std::size_t Size() const { return m_data.size() - m_start; }
    /// Bytes held in storage, taken ones not yet dropped included.
    std::size_t StoredBytes() const { return m_data.size(); }

private:
    std::string m_data;
    std::size_t m_start = 0;
    std::string m_packet;
    std::size_t m_discarded = 0;
};

}  // namespace kerbview::net
