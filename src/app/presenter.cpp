// SPDX-License-Identifier: MIT
#include "app/presenter.h"

#include <array>

#include "core/colours.h"
#include "core/scan_cycle.h"
#include "panel/language_captions.h"
#include "panel/units.h"

namespace kerbview::app {
namespace {

using panel::Element;
using panel::Menu;

// The 22 threshold-coloured fields, in the order graphics mode writes them.
constexpr std::array<Element, 22> kThresholdFields{
    Element::Label18, Element::Label17, Element::Label2,  Element::Label3,  Element::Label4,
    Element::Label5,  Element::Label6,  Element::Label7,  Element::Label8,  Element::Label9,
    Element::Label10, Element::Label11, Element::Label12, Element::Label13, Element::Label24,
    Element::Label25, Element::Label26, Element::Label27, Element::Label43, Element::Label44,
    Element::Label45, Element::Label46,
};

}  // namespace

void Presenter::ShowLinkStatus(telemetry::LinkStatus status) {
    m_panel.SetText(Element::Label1, status == telemetry::LinkStatus::Running
                                         ? m_texts.TxtRunning
                                         : m_texts.TxtNotRunning);
}

void Presenter::ShowScanning() { m_panel.SetText(Element::Label1, m_texts.TxtScanning); }

void Presenter::ShowServerStatus(std::string_view status) {
    m_panel.SetText(Element::Label1, status);
}

void Presenter::ShowConnection(net::ConnectionStatus status) {
    using S = net::ConnectionStatus;
    const std::string* text = nullptr;
    switch (status) {
        case S::None: m_panel.SetText(Element::Label15, ""); return;
        case S::Listening: text = &m_texts.TxtListening; break;
        case S::Connecting: text = &m_texts.TxtConnecting; break;
        case S::Connected: text = &m_texts.TxtConnected; break;
        case S::NoLink: text = &m_texts.TxtNoLink; break;
    }
    m_panel.SetText(Element::Label15, *text);
}

void Presenter::ShowLanguage(std::string_view idioma) {
    panel::ApplyLanguageCaptions(idioma, m_texts, m_panel);
}

void Presenter::ShowScanTime(std::int16_t scanTime) {
    const std::optional<std::size_t> checked = core::CheckedScanTimeItem(scanTime);
    for (std::size_t i = 0; i < core::kScanTimeItems.size(); ++i) {
        m_panel.SetMenuChecked(static_cast<Menu>(static_cast<std::size_t>(Menu::TS_10) + i),
                               checked == i);
    }
}

void Presenter::ShowRole(std::int16_t tipus) {
    m_panel.SetMenuChecked(Menu::Cap, tipus == 0);
    m_panel.SetMenuChecked(Menu::Servidor, tipus == 1);
    m_panel.SetMenuChecked(Menu::Client, tipus == 2);
    m_panel.SetMenuEnabled(Menu::VeureDadesServidor, tipus == 1);
}

void Presenter::ShowDadesServ(bool dadesServ) {
    m_panel.SetMenuChecked(Menu::VeureDadesServidor, dadesServ);
}

void Presenter::ShowUnits(bool imperial) {
    m_panel.SetMenuChecked(Menu::Metrico, !imperial);
    m_panel.SetMenuChecked(Menu::Imperial, imperial);
    m_panel.SetMaxValue(Element::ProgressBar4,
                        imperial ? panel::kSpeedGaugeMaxImperial : panel::kSpeedGaugeMaxMetric);
}

void Presenter::ShowGraphicsMode(bool noGrafics) {
    if (!noGrafics) {
        for (Element e : kThresholdFields) m_panel.SetBackColor(e, core::ColorCold);
    } else {
        for (int n : {3, 1, 2, 4}) m_panel.SetValue(panel::Bar(n), 0);
        for (Element e : kThresholdFields) m_panel.SetBackColor(e, core::ColorPlain);
        for (int n = 1; n <= 4; ++n) m_panel.SetVisible(panel::Marker(n), false);
    }
    m_panel.SetMenuChecked(Menu::Graficos, !noGrafics);
}

void Presenter::ShowWebDashboard(bool serving) {
    m_panel.SetMenuChecked(Menu::WebDashboard, serving);
}

void Presenter::ShowGaugeBackground(core::ColourNumber colour) {
    for (int n = 1; n <= 4; ++n) m_panel.SetBackColor(panel::Bar(n), colour);
}

std::string Presenter::ListenFailureText(const net::ListenFailure& failure) {
    const std::string port = "Port " + std::to_string(failure.port) + " could not be opened";
    switch (failure.kind) {
        case net::SocketError::Kind::PermissionDenied:
            return port +
                   ": permission denied. On Linux, ports below 1024 need privileges; choose a "
                   "port from 1024 up";
        case net::SocketError::Kind::AddressInUse:
            return port +
                   ": another program is using it. Close that program, or choose another port";
        case net::SocketError::Kind::Other: break;
    }
    return port + ": " + failure.detail;
}

std::string Presenter::WebFailureText(std::uint16_t port, bool portInUse, std::string_view error) {
    const std::string what =
        "The web dashboard cannot be served: port " + std::to_string(port) + " could not be opened";
    if (portInUse) {
        return what +
               ": another program is using it. Close that program, or choose another Port "
               "in [Web]";
    }
    return what + ": " + std::string(error);
}

}  // namespace kerbview::app
