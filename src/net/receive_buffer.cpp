// SPDX-License-Identifier: MIT
#include "net/receive_buffer.h"

#include "net/wire_format.h"

namespace kerbview::net {

void ReceiveBuffer::Append(std::string_view bytes) {
    // Drop consumed bytes before growing, so the string never holds taken packets.
    if (m_start > 0) {
        m_data.erase(0, m_start);
        m_start = 0;
    }
    m_data.append(bytes);
}

bool ReceiveBuffer::TakePacket() {
    const std::string_view data(m_data);
    std::size_t at = m_start;
    std::size_t length = 0;
    HeaderCheck check = HeaderCheck::Invalid;
    while (at < data.size() &&
           (check = CheckHeader(data.substr(at), &length)) == HeaderCheck::Invalid) {
        ++at;
    }
    m_discarded += at - m_start;
    m_start = at;
    if (check != HeaderCheck::Valid || data.size() - m_start < length) return false;

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
