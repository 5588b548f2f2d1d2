// SPDX-License-Identifier: MIT
// The machine's names and the listening socket's rules on POSIX systems.
#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "web/dashboard_server.h"
#include "web/listen_port.h"

namespace kerbview::web {

std::string MachineHostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

std::vector<std::string> MachineIpv4Addresses() {
    std::vector<std::string> addresses;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return addresses;
    for (const ifaddrs* i = list; i != nullptr; i = i->ifa_next) {
        if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET) continue;
        if ((i->ifa_flags & IFF_UP) == 0) continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* address = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
        if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr) {
            addresses.emplace_back(text);
        }
    }
    ::freeifaddrs(list);
    return addresses;
}

// SO_REUSEADDR lets the port be bound again while connections of a program that ended are in
// TIME_WAIT; Linux still refuses a port that another socket listens on.
int SharePortAsListener(std::uintptr_t socket) {
    const int on = 1;
    return ::setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0
               ? 0
               : errno;
}

int KeepFromChildProcesses(std::uintptr_t socket) {
    const int fd = static_cast<int>(socket);
    const int flags = ::fcntl(fd, F_GETFD);
    return flags != -1 && ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC) == 0 ? 0 : errno;
}

std::string SocketErrorText(int code) { return std::system_category().message(code); }

}  // namespace kerbview::web
