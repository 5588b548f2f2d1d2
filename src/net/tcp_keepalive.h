// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace kerbview::net {

/// Turns on TCP keepalive for a connected socket (a file descriptor, or a SOCKET on Windows)
/// with short intervals (first probe after 5 s of silence, then every 2 s, given up after 3), so
/// that a peer that vanished without closing ends the connection within seconds. Does nothing
/// for an invalid descriptor; never fails.
void EnableKeepAlive(std::intptr_t descriptor);

}  // namespace kerbview::net
