// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/colours.h"
#include "panel/panel_elements.h"
#include "panel/panel_model.h"
#include "web/dashboard_service.h"
#include "web/feed_encoder.h"
#include "web/feed_pacing.h"

namespace kerbview::web {

/// What a front end lends the dashboard server: a repeating call from its event loop (the server
/// runs on the user-interface thread and never blocks), its system colours and its picture codec.
class DashboardHost {
public:
    virtual ~DashboardHost() = default;

    /// Calls poll every interval from the event loop until StopPolling; replaces an earlier one.
    virtual void StartPolling(std::chrono::milliseconds interval, std::function<void()> poll) = 0;
    virtual void StopPolling() = 0;
    /// The dashboard's colours on a panel of panelColour: the desktop's colours that the panel
    /// uses for its system colours and lamp buttons.
    virtual DashboardLook Look(core::ColourNumber panelColour) = 0;
    /// The picture of Image1, Image2 or Picture1 as a browser gets it: the file the panel shows,
    /// or the built-in car or logo when file is empty (web::HasBuiltinPicture), at most twice the
    /// element's size in the initial layout. Returns the encoded body and its MIME type; an empty
    /// body when the element has no picture or the file no longer decodes.
    virtual std::pair<std::string, std::string> Picture(panel::Element e,
                                                        const std::string& file) = 0;
};

/// Limits of the dashboard server; the defaults suit a phone or tablet on a home network.
struct DashboardOptions {
    /// Where to listen (IPv4, dotted): every address of the machine by default.
    std::string address = "0.0.0.0";
    /// Browsers on the feed at once; one more is answered "service unavailable".
    int maxBrowsers = 16;
    /// Feed messages per second to each browser, at most.
    int maxRate = 30;
    /// Open connections at once, browsers included; more are refused.
    int maxConnections = 32;
    /// Bytes of a request read ahead; a request that does not fit is never answered.
    std::size_t maxRequestBytes = 32 * 1024;
    /// A connection that is not on the feed is closed this long after it opened.
    std::chrono::milliseconds requestDeadline{10000};
    PacingLimits pacing;
    /// How often the host's event loop runs the server's ready I/O.
    std::chrono::milliseconds pollInterval{10};
};

/// The web dashboard: serves the panel to browsers on the local network and keeps them up to
/// date. Read only: nothing a browser sends changes the program, and a browser costs the program
/// nothing while none is connected. Every browser gets the whole panel when it connects, then
/// the elements that changed, at most maxRate times a second; one that stops reading is skipped
/// and later brought to the latest state, or dropped (see BrowserPacing). Single-threaded: all
/// of its I/O runs in Poll, which the host calls from its event loop while the server serves.
class DashboardServer final : public DashboardService {
public:
    /// host must outlive the server.
    explicit DashboardServer(DashboardHost& host, DashboardOptions options = {});
    ~DashboardServer() override;
    DashboardServer(const DashboardServer&) = delete;
    DashboardServer& operator=(const DashboardServer&) = delete;

    bool Serve(const panel::PanelModel& model, core::ColourNumber panelColour, std::uint16_t port,
               const laps::LapsView* laps) override;
    void Stop() override;
    bool Serving() const override;
    std::uint16_t Port() const override;
    ServeFailure Failure() const override;
    std::vector<std::string> Addresses() const override;

    /// Runs the I/O that is ready and publishes the feed when it is due; never blocks. What a
    /// browser or client does is never an error here: only what allocation throws leaves it.
    void Poll();

    /// Browsers on the feed.
    int Browsers() const;
    /// Open connections, browsers included.
    int Connections() const;
    /// Bytes written to any connection and not yet sent, in all.
    std::size_t Backlog() const;

private:
    struct Impl;  // the HTTP and WebSocket server, kept to one translation unit
    std::unique_ptr<Impl> m_impl;
};

/// This machine as a browser may name it: its host name and every IPv4 address of its network
/// interfaces that are up, loopback included, in the order the system lists them.
std::string MachineHostName();
std::vector<std::string> MachineIpv4Addresses();

}  // namespace kerbview::web
