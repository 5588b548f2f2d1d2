// SPDX-License-Identifier: MIT
// The machine's names and the listening socket's rules on Windows.
#include <winsock2.h>
// After winsock2.h, whose types they use.
#include <iphlpapi.h>
#include <windows.h>

#include <vector>

#include "web/dashboard_server.h"
#include "web/listen_port.h"

namespace kerbview::web {
namespace {

std::string Utf8(const wchar_t* text, int length) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    return out;
}

}  // namespace

std::string MachineHostName() {
    wchar_t name[256] = {};
    DWORD size = 256;
    if (!::GetComputerNameExW(ComputerNameDnsHostname, name, &size)) return {};
    return Utf8(name, static_cast<int>(size));
}

std::vector<std::string> MachineIpv4Addresses() {
    std::vector<std::string> addresses;
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result = ::GetAdaptersAddresses(
            AF_INET, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result != NO_ERROR) return addresses;
    for (auto* a = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); a != nullptr;
         a = a->Next) {
        if (a->OperStatus != IfOperStatusUp) continue;
        for (const IP_ADAPTER_UNICAST_ADDRESS* u = a->FirstUnicastAddress; u != nullptr;
             u = u->Next) {
            if (u->Address.lpSockaddr == nullptr || u->Address.lpSockaddr->sa_family != AF_INET) {
                continue;
            }
            const auto* in = reinterpret_cast<const sockaddr_in*>(u->Address.lpSockaddr);
            const auto* b = reinterpret_cast<const unsigned char*>(&in->sin_addr);
            addresses.push_back(std::to_string(b[0]) + "." + std::to_string(b[1]) + "." +
                                std::to_string(b[2]) + "." + std::to_string(b[3]));
        }
    }
    return addresses;
}

// SO_REUSEADDR on Windows would let another program bind the port the dashboard listens on;
// SO_EXCLUSIVEADDRUSE keeps the port ours while we listen.
int SharePortAsListener(std::uintptr_t socket) {
    const BOOL on = TRUE;
    return ::setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
                        reinterpret_cast<const char*>(&on), sizeof on) == 0
               ? 0
               : ::WSAGetLastError();
}

int KeepFromChildProcesses(std::uintptr_t socket) {
    return ::SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0)
               ? 0
               : static_cast<int>(::GetLastError());
}

std::string SocketErrorText(int code) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = length > 0 ? Utf8(text, static_cast<int>(length)) : std::string();
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(code) : message;
}

}  // namespace kerbview::web
