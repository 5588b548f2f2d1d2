// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "panel/panel_elements.h"

namespace kerbview::web {

/// What the dashboard serves. Everything else is answered "not found".
enum class Resource : std::uint8_t { None, Page, Script, Style, Picture, Feed };

struct Route {
    Resource resource = Resource::None;
    panel::Element picture = panel::Element::Image1;  ///< for Resource::Picture
};

/// What a request asks for: only GET of a fixed path is served ("/", "/dashboard.js",
/// "/dashboard.css", "/picture/Image1", "/picture/Image2", "/picture/Picture1"), and "/feed"
/// only as a WebSocket upgrade. Paths match exactly (no case folding, no trailing slash, no
/// second slash); the query is not part of path. Nothing here touches the file system.
Route RouteRequest(std::string_view method, std::string_view path, bool websocketUpgrade);

/// The addresses to type into a browser on the local network: "http://A:port/" for every IPv4
/// address A in the order given, leaving out loopback (127.x.x.x), unspecified (0.0.0.0) and
/// repeated addresses.
std::vector<std::string> DashboardUrls(const std::vector<std::string>& ipv4, std::uint16_t port);

}  // namespace kerbview::web
