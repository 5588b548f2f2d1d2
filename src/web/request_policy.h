// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
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

/// The parts of a request's head that decide its answer, as the HTTP server parsed them.
struct RequestHead {
    std::string_view method;
    std::string_view path;
    /// The value of every Host header, in the order sent.
    std::vector<std::string_view> hosts;
    /// Upgrade and Connection, each header's values joined with ", " when sent more than once.
    std::string_view upgrade;
    std::string_view connection;
    /// Absent when no Origin header was sent.
    std::optional<std::string_view> origin;
    /// Every line of the head ended in CR LF, as a WebSocket handshake needs (HeadLinesEndInCrLf).
    bool crlfLines = false;
};

/// This machine as a browser may name it in Host.
struct MachineNames {
    /// The machine's name.
    std::string hostName;
    /// Its addresses as text (IPv4 dotted, IPv6 without brackets), loopback included.
    std::vector<std::string> addresses;
};

/// How a request is answered: served as its route says, or refused with a status.
enum class Answer : std::uint8_t { Serve, BadRequest, Forbidden, NotFound };

struct Decision {
    Answer answer = Answer::NotFound;
    Route route;  ///< what to serve, for Answer::Serve
};

/// The dashboard's rules for one request, in order:
/// - exactly one Host, naming this machine: "localhost", its name (also with ".local"), or one
///   of its addresses, with or without a port; anything else is a bad request, so a DNS name
///   rebound to this machine's address reaches nothing;
/// - a request with "Upgrade: websocket" is an upgrade only with a Connection header naming
///   upgrade and CR LF line ends; otherwise it is a bad request;
/// - the feed opens only from the page's own origin ("http://" and the Host) or with no Origin;
///   any other origin is forbidden, so another site's page cannot read it through the browser;
/// - then RouteRequest: what it does not serve is not found.
Decision DecideRequest(const RequestHead& head, const MachineNames& machine);

/// True when the head at the start of raw (a request's bytes as received) is complete and every
/// one of its lines, the empty line that ends it included, ends in CR LF.
bool HeadLinesEndInCrLf(std::string_view raw);

/// The addresses to type into a browser on the local network: "http://A:port/" for every IPv4
/// address A in the order given, leaving out loopback (127.x.x.x), unspecified (0.0.0.0) and
/// repeated addresses.
std::vector<std::string> DashboardUrls(const std::vector<std::string>& ipv4, std::uint16_t port);

}  // namespace kerbview::web
