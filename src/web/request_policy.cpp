// SPDX-License-Identifier: MIT
#include "web/request_policy.h"

#include <algorithm>

#include "web/feed_encoder.h"

namespace kerbview::web {

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
