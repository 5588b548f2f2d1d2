// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/colours.h"
#include "laps/laps_view.h"
#include "panel/panel_model.h"

namespace kerbview::web {

/// Why a dashboard asked for does not serve: another program holds the port, or the system's
/// reason (UTF-8). Both empty when it serves or was not asked to.
struct ServeFailure {
    bool portInUse = false;
    std::string error;
};

/// The web dashboard as the program drives it: a server that shows a panel model to the
/// browsers of the local network, read only, and keeps them up to date. The program is handed
/// one and switches it as the WebEnabled setting says; it never blocks.
class DashboardService {
public:
    virtual ~DashboardService() = default;

    /// Serves model, on a panel of panelColour, and the lap history laps (nullptr: none), on
    /// port (0: any free port), restarting when the port changed. The model and laps must
    /// outlive the serving (until Stop). Returns whether it serves; when the port cannot be
    /// opened it serves nothing and Failure says why.
    virtual bool Serve(const panel::PanelModel& model, core::ColourNumber panelColour,
                       std::uint16_t port, const laps::LapsView* laps) = 0;
    /// Stops serving and drops every browser; Failure is empty after it.
    virtual void Stop() = 0;
    virtual bool Serving() const = 0;
    /// The port served on; 0 when not serving.
    virtual std::uint16_t Port() const = 0;
    /// Why the last Serve could not serve.
    virtual ServeFailure Failure() const = 0;
    /// Every IPv4 address of the machine's network interfaces that are up, loopback included,
    /// in the order the system lists them: where browsers may find the dashboard.
    virtual std::vector<std::string> Addresses() const = 0;
};

}  // namespace kerbview::web
