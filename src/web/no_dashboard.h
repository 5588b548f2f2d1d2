// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "web/dashboard_service.h"

namespace kerbview::web {

/// No web dashboard: it never serves and tells no reason, so the program runs as without one
/// (a front end that has none yet, a benchmark that measures the scan alone).
class NoDashboard final : public DashboardService {
public:
    bool Serve(const panel::PanelModel&, core::ColourNumber, std::uint16_t,
               const laps::LapsView*) override {
        return false;
    }
    void Stop() override {}
    bool Serving() const override { return false; }
    std::uint16_t Port() const override { return 0; }
    ServeFailure Failure() const override { return {}; }
    std::vector<std::string> Addresses() const override { return {}; }
};

}  // namespace kerbview::web
