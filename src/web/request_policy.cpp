// SPDX-License-Identifier: MIT
#include "web/request_policy.h"

#include <algorithm>

#include "core/ascii_case.h"
#include "web/feed_encoder.h"

namespace kerbview::web {
namespace {

using core::EqualsIgnoringAsciiCase;

std::string_view Trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// True when the comma-separated list value holds token, as "keep-alive, Upgrade" holds upgrade.
bool HasToken(std::string_view value, std::string_view token) {
    while (!value.empty()) {
        const std::size_t comma = value.find(',');
        if (EqualsIgnoringAsciiCase(Trimmed(value.substr(0, comma)), token)) return true;
        if (comma == std::string_view::npos) break;
        value.remove_prefix(comma + 1);
    }
    return false;
}

// The name or address of a Host value without its port and IPv6 brackets; empty when the value
// is not a host with an optional decimal port.
std::string_view HostName(std::string_view host) {
    std::string_view name;
    std::string_view rest;
    if (host.starts_with('[')) {
        const std::size_t close = host.find(']');
        if (close == std::string_view::npos) return {};
        name = host.substr(1, close - 1);
        rest = host.substr(close + 1);
    } else {
        const std::size_t colon = host.find(':');
        name = host.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : host.substr(colon);
    }
    if (!rest.empty()) {
        if (rest.front() != ':' || rest.size() > 6) return {};
        if (!std::all_of(rest.begin() + 1, rest.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return {};
    }
    if (name.ends_with('.')) name.remove_suffix(1);  // an absolute name: "localhost."
    return name;
}

bool IsThisMachine(std::string_view host, const MachineNames& machine) {
    const std::string_view name = HostName(host);
    if (name.empty()) return false;
    if (EqualsIgnoringAsciiCase(name, "localhost")) return true;
    if (!machine.hostName.empty() && (EqualsIgnoringAsciiCase(name, machine.hostName) ||
                                      EqualsIgnoringAsciiCase(name, machine.hostName + ".local"))) {
        return true;
    }
    return std::any_of(
        machine.addresses.begin(), machine.addresses.end(), [&](const std::string& address) {
            // An IPv6 zone ("%eth0") never appears in a browser's Host.
            const std::string_view bare = std::string_view(address).substr(0, address.find('%'));
            return EqualsIgnoringAsciiCase(name, bare);
        });
}

}  // namespace

Route RouteRequest(std::string_view method, std::string_view path, bool websocketUpgrade) {
    if (method != "GET") {
        return {};
    }
    if (path == "/feed") {
        return websocketUpgrade ? Route{Resource::Feed} : Route{};
    }
    if (websocketUpgrade) {
        return {};
    }
    if (path == "/") return {Resource::Page};
    if (path == "/dashboard.js") return {Resource::Script};
    if (path == "/dashboard.css") return {Resource::Style};
    for (const panel::Element e :
         {panel::Element::Image1, panel::Element::Image2, panel::Element::Picture1}) {
        if (path == PicturePath(e)) return {Resource::Picture, e};
    }
    return {};
}

Decision DecideRequest(const RequestHead& head, const MachineNames& machine) {
    if (head.hosts.size() != 1 || !IsThisMachine(Trimmed(head.hosts.front()), machine)) {
        return {Answer::BadRequest, {}};
    }
    const bool asksForWebSocket = HasToken(head.upgrade, "websocket");
    const bool upgrade = asksForWebSocket && HasToken(head.connection, "upgrade") && head.crlfLines;
    if (asksForWebSocket && !upgrade) {
        return {Answer::BadRequest, {}};
    }
    const Route route = RouteRequest(head.method, head.path, upgrade);
    if (route.resource == Resource::None) {
        return {Answer::NotFound, {}};
    }
    if (route.resource == Resource::Feed && head.origin &&
        !EqualsIgnoringAsciiCase(Trimmed(*head.origin),
                                 "http://" + std::string(Trimmed(head.hosts.front())))) {
        return {Answer::Forbidden, {}};
    }
    return {Answer::Serve, route};
}

bool HeadLinesEndInCrLf(std::string_view raw) {
    bool sawLine = false;
    for (std::size_t start = 0;;) {
        const std::size_t end = raw.find('\n', start);
        if (end == std::string_view::npos || end == start || raw[end - 1] != '\r') return false;
        if (end - start == 1) {
            if (sawLine) return true;
        } else {
            sawLine = true;
        }
        start = end + 1;
    }
}

std::vector<std::string> DashboardUrls(const std::vector<std::string>& ipv4, std::uint16_t port) {
    std::vector<std::string> urls;
    for (const std::string& address : ipv4) {
        if (address.rfind("127.", 0) == 0 || address == "0.0.0.0") continue;
        std::string url = "http://" + address + ":" + std::to_string(port) + "/";
        if (std::find(urls.begin(), urls.end(), url) == urls.end()) urls.push_back(std::move(url));
    }
    return urls;
}

}  // namespace kerbview::web
