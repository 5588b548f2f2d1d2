// SPDX-License-Identifier: MIT
#include <winsock2.h>
// After winsock2.h, whose types it uses.
#include <mstcpip.h>

#include <algorithm>

#include "net/tcp_state.h"

namespace kerbview::net {

std::optional<TcpPeerFigures> PeerFigures(std::intptr_t descriptor) {
    DWORD version = 0;
    TCP_INFO_v0 info{};
    DWORD returned = 0;
    if (::WSAIoctl(static_cast<SOCKET>(descriptor), SIO_TCP_INFO, &version, sizeof version, &info,
                   sizeof info, &returned, nullptr, nullptr) != 0 ||
        returned < sizeof info) {
        return std::nullopt;
    }
    // BytesOut counts retransmitted data again; what is in flight is not acknowledged yet.
    const std::uint64_t sent =
        info.BytesOut - std::min<std::uint64_t>(info.BytesOut, info.BytesRetrans);
    return TcpPeerFigures{sent - std::min<std::uint64_t>(sent, info.BytesInFlight), info.SndWnd};
}

}  // namespace kerbview::net
