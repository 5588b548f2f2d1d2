// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "web/dashboard_service.h"

namespace kerbview::win32 {

/// The web dashboard of this front end: none yet. It never serves and tells no reason, so the
/// program runs as without the dashboard; the menu leaves its item out.
class NoDashboard final : public web::DashboardService {
public:
    bool Serve(const panel::PanelModel&, core::ColourNumber, std::uint16_t) override {
        return false;
    }
    void Stop() override {}
    bool Serving() const override { return false; }
    std::uint16_t Port() const override { return 0; }
    web::ServeFailure Failure() const override { return {}; }
    std::vector<std::string> Addresses() const override { return {}; }
};

}  // namespace kerbview::win32
