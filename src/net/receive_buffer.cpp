// SPDX-License-Identifier: MIT
#include "net/receive_buffer.h"

namespace kerbview::net {
namespace {

constexpr std::size_t kHeaderDigits = 6;
constexpr int kMinHeader = 8;
constexpr int kMaxHeader = 32767;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void ReceiveBuffer::Append(std::string_view bytes) {
    // Drop consumed bytes before growing, so the string never holds taken packets.
    if (m_start > 0) {
        m_data.erase(0, m_start);
        m_start = 0;
    }
    m_data.append(bytes);
}

bool ReceiveBuffer::CouldStartHeader(std::size_t at) const {
    const std::size_t avail = m_data.size() - at;
    int value = 0;
    for (std::size_t k = 0; k < kHeaderDigits; ++k) {
        if (k == avail) return true;  // a prefix of a header: wait for the rest
        const char c = m_data[at + k];
        if (!IsDigit(c)) return false;
        value = value * 10 + (c - '0');
    }
    if (value < kMinHeader || value > kMaxHeader) return false;
    return avail == kHeaderDigits || m_data[at + kHeaderDigits] == '\0';
}

bool ReceiveBuffer::TakePacket() {
    std::size_t at = m_start;
    while (at < m_data.size() && !CouldStartHeader(at)) ++at;
    m_discarded += at - m_start;
    m_start = at;

    const std::size_t avail = m_data.size() - m_start;
    if (avail < kHeaderDigits + 1) return false;
    int value = 0;
    for (std::size_t k = 0; k < kHeaderDigits; ++k)
        value = value * 10 + (m_data[m_start + k] - '0');
    const auto length = static_cast<std::size_t>(value - 1);
    if (avail < length) return false;

    m_packet.assign(m_data, m_start, length);
    m_start += length;
    if (m_start == m_data.size()) {
        m_data.clear();
        m_start = 0;
    }
    return true;
}

std::size_t ReceiveBuffer::TakeDiscarded() {
    const std::size_t n = m_discarded;
    m_discarded = 0;
    return n;
}

void ReceiveBuffer::Clear() {
    m_data.clear();
    m_start = 0;
    m_discarded = 0;
}

}  // namespace kerbview::net
