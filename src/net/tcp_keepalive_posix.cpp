// SPDX-License-Identifier: MIT
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include "net/tcp_keepalive.h"

namespace kerbview::net {

void EnableKeepAlive(std::intptr_t descriptor) {
    if (descriptor < 0) return;
    const int fd = static_cast<int>(descriptor);
    const int on = 1, idle = 5, interval = 2, count = 3;
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    // The timings are not POSIX; systems without these options keep their own defaults.
#ifdef TCP_KEEPIDLE
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
#endif
#ifdef TCP_KEEPINTVL
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
#endif
#ifdef TCP_KEEPCNT
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
#endif
    (void)idle, (void)interval, (void)count;
}

}  // namespace kerbview::net
