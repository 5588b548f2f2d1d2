// SPDX-License-Identifier: MIT
#pragma once

#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "web/dashboard_server.h"

namespace kerbview::qt {

class DashboardPictures;

/// The colours of the dashboard from the application's palette (what the desktop panel uses for
/// its system colours and lamp buttons) and the panel's background colour.
web::DashboardLook PaletteLook(core::ColourNumber panelColour);

/// What the Qt front end lends the dashboard server: a timer of its event loop, the
/// application's palette and Qt's image codecs.
class DashboardHost final : public web::DashboardHost {
public:
    DashboardHost();
    ~DashboardHost() override;

    void StartPolling(std::chrono::milliseconds interval, std::function<void()> poll) override;
    void StopPolling() override;
    web::DashboardLook Look(core::ColourNumber panelColour) override {
        return PaletteLook(panelColour);
    }
    std::pair<std::string, std::string> Picture(panel::Element e, const std::string& file) override;

private:
    QTimer m_timer;
    std::function<void()> m_poll;
    std::unique_ptr<DashboardPictures> m_pictures;
};

}  // namespace kerbview::qt
