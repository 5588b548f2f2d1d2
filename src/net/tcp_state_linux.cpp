// SPDX-License-Identifier: MIT
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstddef>

#include "net/tcp_state.h"

namespace kerbview::net {

std::optional<TcpPeerFigures> PeerFigures(std::intptr_t descriptor) {
    tcp_info info{};
    socklen_t length = sizeof info;
    if (descriptor < 0 ||
        ::getsockopt(static_cast<int>(descriptor), IPPROTO_TCP, TCP_INFO, &info, &length) != 0) {
        return std::nullopt;
    }
    // A kernel that fills less than the peer's window (before Linux 5.4) cannot tell.
    if (length < offsetof(tcp_info, tcpi_snd_wnd) + sizeof info.tcpi_snd_wnd) {
        return std::nullopt;
    }
    return TcpPeerFigures{info.tcpi_bytes_acked, info.tcpi_snd_wnd};
}

}  // namespace kerbview::net
