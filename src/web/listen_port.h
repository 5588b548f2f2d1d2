// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

// The platform's rules for the dashboard's listening socket, one file per platform
// (machine_posix.cpp, machine_windows.cpp), beside MachineHostName and MachineIpv4Addresses.
namespace kerbview::web {

/// Sets how the listening socket (its native handle) shares its port, before it is bound: a
/// restarted program takes its port back at once although connections of the one before are
/// still closing, and no other program can take the port while it listens. Returns 0, or the
/// system's error code.
int SharePortAsListener(std::uintptr_t socket);

/// Keeps a socket (its native handle) from being inherited by the programs this one starts (a
/// browser opened from the About window, the launcher's command): a child holding the listening
/// socket would keep the port from being served again. Returns 0, or the system's error code.
int KeepFromChildProcesses(std::uintptr_t socket);

/// The system's message for an error code of its sockets, in UTF-8.
std::string SocketErrorText(int code);

}  // namespace kerbview::web
