// SPDX-License-Identifier: MIT
#include "app/presenter.h"

#include "core/colours.h"
#include "core/text_encoding.h"
#include "panel/element_catalogue.h"
#include "panel/presentation.h"
#include "panel/units.h"
#include "ui/language_table.h"
#include "web/request_policy.h"

namespace kerbview::app {
namespace {

using panel::Element;
using panel::Menu;

}  // namespace

std::optional<std::string_view> LanguageOfMenu(Menu item) {
    for (std::size_t i = 0; i < kLanguageMenus.size(); ++i) {
        if (kLanguageMenus[i] == item) return ui::kLanguageNames[i].idioma;
    }
    return std::nullopt;
}

void Presenter::ShowStatus(Status status) {
    m_status = status;
    m_panel.SetText(Element::Label1, ServerStatus());
}

void Presenter::ShowLinkStatus(telemetry::LinkStatus status) {
    ShowStatus(status == telemetry::LinkStatus::Running ? Status::Running : Status::NotRunning);
}

void Presenter::ShowScanning() { ShowStatus(Status::Scanning); }

void Presenter::ShowServerStatus(std::string_view status) {
    m_serverStatus.assign(status);
    ShowStatus(Status::FromServer);
}

std::string Presenter::ServerStatus() const {
    switch (m_status) {
        case Status::Scanning: return m_texts.TxtScanning;
        case Status::Running: return m_texts.TxtRunning;
        case Status::NotRunning: return m_texts.TxtNotRunning;
        case Status::FromServer: break;
    }
    return m_serverStatus;
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

void Presenter::ShowLanguage(std::optional<std::size_t> language) {
    for (std::size_t i = 0; i < kLanguageMenus.size(); ++i) {
        m_panel.SetMenuChecked(kLanguageMenus[i], language == i);
    }
    const ui::LanguageTexts& t = m_texts;
    const std::pair<Element, const std::string*> captions[] = {
        {Element::Label31, &t.TxtLapTimes},    {Element::Label29, &t.TxtLap},
        {Element::Label33, &t.TxtFuelLastLap}, {Element::Label19, &t.TxtWater},
        {Element::Label20, &t.TxtOil},         {panel::Lamp(1), &t.TxtLimiter},
        {panel::Lamp(2), &t.TxtPits},          {panel::Lamp(4), &t.TxtTc},
        {panel::Lamp(5), &t.TxtAbs},           {panel::Lamp(6), &t.TxtContact},
        {panel::Lamp(7), &t.TxtEngine},
    };
    for (const auto& [element, text] : captions) m_panel.SetText(element, *text);
    ShowScanning();
    const std::pair<Menu, const std::string*> menus[] = {
        {Menu::Archivo, &t.TxtFileMenu},
        {Menu::Salir, &t.TxtExit},
        {Menu::Opciones, &t.TxtOptionsMenu},
        {Menu::TempsRefresc, &t.TxtScanTimeMenu},
        {Menu::AcercaDe, &t.TxtAboutMenu},
        {Menu::Conexio, &t.TxtConnectionMenu},
        {Menu::Cap, &t.TxtNone},
        {Menu::Servidor, &t.TxtServer},
        {Menu::Client, &t.TxtClient},
        {Menu::Graficos, &t.TxtGraphics},
        {Menu::Metrico, &t.TxtMetric},
        {Menu::Imperial, &t.TxtImperial},
        {Menu::VeureDadesServidor, &t.TxtShowServerData},
        {Menu::WebDashboard, &t.TxtWebDashboard},
        {Menu::Replay, &t.TxtReplay},
        {Menu::ExportRecording, &t.TxtExportRecording},
        {Menu::ReplayPause, &t.TxtReplayPause},
        {Menu::RecordStints, &t.TxtRecordStints},
        {Menu::Laps, &t.TxtLapsMenu},
        {Menu::RaceSettings, &t.TxtRaceSettingsMenu},
    };
    for (const auto& [menu, text] : menus) {
        m_panel.SetMenuCaption(menu, text->empty() ? panel::Info(menu).name : *text);
    }
    for (const ReplaySpeedItem& speed : kReplaySpeedItems) {
        m_panel.SetMenuCaption(speed.item,
                               t.TxtReplaySpeed.empty()
                                   ? panel::Info(speed.item).name
                                   : t.TxtReplaySpeed + " " + std::string(speed.factor));
    }
}

void Presenter::ShowScanTime(std::int16_t scanTime) {
    for (const ScanTimeItem& item : kScanTimeItems) {
        m_panel.SetMenuChecked(item.item, item.scanTime == scanTime);
    }
}

void Presenter::ShowRole(core::Role tipus) {
    using core::Role;
    m_panel.SetMenuChecked(Menu::Cap, tipus == Role::None);
    m_panel.SetMenuChecked(Menu::Servidor, tipus == Role::Server);
    m_panel.SetMenuChecked(Menu::Client, tipus == Role::Client);
    m_panel.SetMenuEnabled(Menu::VeureDadesServidor, tipus == Role::Server);
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
        for (const panel::ThresholdField& f : panel::kThresholdFields) {
            m_panel.SetBackColor(f.element, core::ColorCold);
        }
    } else {
        for (int n : {3, 1, 2, 4}) m_panel.SetValue(panel::Bar(n), 0);
        for (const panel::ThresholdField& f : panel::kThresholdFields) {
            m_panel.SetBackColor(f.element, core::ColorPlain);
        }
        for (int n = 1; n <= 4; ++n) m_panel.SetVisible(panel::Marker(n), false);
    }
    m_panel.SetMenuChecked(Menu::Graficos, !noGrafics);
}

void Presenter::ShowWebDashboard(bool serving) {
    m_panel.SetMenuChecked(Menu::WebDashboard, serving);
}

void Presenter::ShowReplay(bool running, bool paused, double speed) {
    m_panel.SetMenuEnabled(Menu::ReplayPause, running);
    m_panel.SetMenuChecked(Menu::ReplayPause, running && paused);
    for (const ReplaySpeedItem& item : kReplaySpeedItems) {
        m_panel.SetMenuEnabled(item.item, running);
        m_panel.SetMenuChecked(item.item, running && item.speed == speed);
    }
}

std::string Presenter::ReplayProblemText(record::ReadProblem problem,
                                         std::string_view detail) const {
    using P = record::ReadProblem;
    switch (problem) {
        case P::CannotOpen: return m_texts.TxtReplayCannotOpen + ": " + core::Utf8ToCp1252(detail);
        case P::NewerVersion: return m_texts.TxtReplayNewer + " " + std::string(detail);
        case P::DamagedBlock: return m_texts.TxtReplayDamaged + " " + std::string(detail);
        case P::NotARecording:
        case P::None: break;
    }
    // A file without a whole header (None: cut before its first block) holds no recording
    // either.
    return m_texts.TxtReplayNotRecording;
}
void Presenter::ShowRecording(bool on) { m_panel.SetMenuChecked(Menu::RecordStints, on); }

void Presenter::ShowGaugeBackground(core::ColourNumber colour) {
    for (int n = 1; n <= 4; ++n) m_panel.SetBackColor(panel::Bar(n), colour);
}

AdminTexts Presenter::Admin() {
    return {"Administrar Kerbview",
            {"Local", "Monitor",
             "For\xE7"
             "at"}};
}

std::string Presenter::DebugWindowTitle() { return "Depurar"; }

AboutTexts Presenter::About() const {
    return {m_texts.TxtAboutTitle, "Kerbview 1.0.1.0S", m_texts.TxtAboutDescription,
            m_texts.TxtAboutCredit};
}

net::IntroTexts Presenter::AddressDialog(bool client) const {
    const ui::LanguageTexts& t = m_texts;
    return {client ? t.TxtClientData : t.TxtServerData,
            t.TxtIpAddress,
            t.TxtPort,
            t.TxtOk,
            t.TxtBadIp,
            t.TxtBadPort};
}

DashboardWindowTexts Presenter::DashboardWindow(bool serving, std::uint16_t port,
                                                const std::vector<std::string>& machineAddresses,
                                                bool portInUse, std::string_view error) const {
    DashboardWindowTexts texts{m_texts.TxtWebDashboard, {}, {}};
    if (serving) {
        texts.urls = web::DashboardUrls(machineAddresses, port);
        // Without a network the page can still be opened on this machine.
        if (texts.urls.empty()) {
            texts.urls.push_back("http://127.0.0.1:" + std::to_string(port) + "/");
        }
    } else {
        texts.problem = std::to_string(port) + ": " +
                        (portInUse ? m_texts.TxtWebPortBusy : core::Utf8ToCp1252(error));
    }
    return texts;
}

std::string Presenter::DebugErrorLine(std::string_view procedure) {
    return "Kerbview has generated an error in the module " + std::string(procedure);
}

std::string Presenter::OpenFailureNotice(std::string_view detail) {
    return std::string(kOpenFailureMessage) + ": " + std::string(detail);
}

std::string Presenter::NotTheSimulatorNotice(std::uint32_t processId) {
    return "The \"" + std::string(telemetry::GameLink::kWindowTitle) + "\" window of process " +
           std::to_string(processId) +
           " holds no telemetry where the simulator keeps it (another program, or another build "
           "of the simulator); looking for another such window.";
}

std::string Presenter::ClientDroppedNotice(std::string_view reason) {
    return "The client connection was closed: " + std::string(reason);
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

std::string Presenter::RecordingStoppedNotice(std::string_view detail) {
    return "Recording stopped: " + std::string(detail) +
           "; switch Record stints on again once the folder can be written";
}

}  // namespace kerbview::app
