// SPDX-License-Identifier: MIT
#include <winsock2.h>
// After winsock2.h, whose types it uses.
#include <mstcpip.h>

#include "net/tcp_keepalive.h"

namespace kerbview::net {

// Windows takes the probe count from the system (10 probes); the times are in milliseconds.
void EnableKeepAlive(std::intptr_t descriptor) {
    if (descriptor < 0) return;
    tcp_keepalive settings{};
    settings.onoff = 1;
    settings.keepalivetime = 5000;
    settings.keepaliveinterval = 2000;
    DWORD returned = 0;
    ::WSAIoctl(static_cast<SOCKET>(descriptor), SIO_KEEPALIVE_VALS, &settings, sizeof settings,
               nullptr, 0, &returned, nullptr, nullptr);
}

}  // namespace kerbview::net
