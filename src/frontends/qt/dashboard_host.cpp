// SPDX-License-Identifier: MIT
#include "frontends/qt/dashboard_host.h"

#include <QApplication>
#include <QPalette>

#include "frontends/qt/dashboard_pictures.h"

namespace kerbview::qt {
namespace {

core::ColourNumber Number(const QColor& c) {
    return core::Rgb(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                     static_cast<std::uint8_t>(c.blue()));
}

std::string Bytes(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

}  // namespace

web::DashboardLook PaletteLook(core::ColourNumber panelColour) {
    const QPalette palette = QApplication::palette();
    web::DashboardLook look;
    look.panel = panelColour;
    look.windowText = Number(palette.color(QPalette::WindowText));
    look.highlight = Number(palette.color(QPalette::Highlight));
    look.lampFace = Number(palette.color(QPalette::Button));
    look.lampText = Number(palette.color(QPalette::Active, QPalette::ButtonText));
    look.lampDarkText = Number(palette.color(QPalette::Disabled, QPalette::ButtonText));
    return look;
}

DashboardHost::DashboardHost() : m_pictures(std::make_unique<DashboardPictures>()) {
    // The server's I/O and its feed's pacing want the interval kept, not coarsened.
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (m_poll) m_poll();
    });
}

DashboardHost::~DashboardHost() = default;

void DashboardHost::StartPolling(std::chrono::milliseconds interval, std::function<void()> poll) {
    m_poll = std::move(poll);
    m_timer.start(interval);
}

// The call is kept: the server may stop from inside it.
void DashboardHost::StopPolling() { m_timer.stop(); }

std::pair<std::string, std::string> DashboardHost::Picture(panel::Element e,
                                                           const std::string& file) {
    const auto [body, type] = m_pictures->Encoded(e, file);
    return {Bytes(body), Bytes(type)};
}

}  // namespace kerbview::qt
