// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "net/net_roles.h"
#include "panel/panel_model.h"
#include "telemetry/game_link.h"
#include "ui/language_texts.h"

namespace kerbview::app {

/// Maps the typed state that the libraries report to what the main window shows: the status
/// texts of Label1 and Label15, the menus' check marks, and the panel states that follow a
/// setting. The only place that turns link, connection and setting states into panel texts.
class Presenter {
public:
    /// Both must outlive the presenter; texts are read at the moment a text is shown.
    Presenter(panel::PanelModel& panel, ui::LanguageTexts& texts)
        : m_panel(panel), m_texts(texts) {}

    /// Label1: TxtRunning or TxtNotRunning.
    void ShowLinkStatus(telemetry::LinkStatus status);
    /// Label1: TxtScanning (the link was reset).
    void ShowScanning();
    /// Label1: the status text a client received from its server.
    void ShowServerStatus(std::string_view status);
    /// Label15: TxtListening, TxtConnecting, TxtConnected, TxtNoLink, or empty for no role.
    void ShowConnection(net::ConnectionStatus status);

    /// The language: the slots filled from it and every caption written (see
    /// panel::ApplyLanguageCaptions); an unknown name leaves the slots as they were.
    void ShowLanguage(std::string_view idioma);
    /// TS_10 ... TS_1000: only the item whose value is scanTime is checked.
    void ShowScanTime(std::int16_t scanTime);
    /// Cap, Servidor, Client: the role's item checked; VeureDadesServidor enabled for a server.
    void ShowRole(std::int16_t tipus);
    /// VeureDadesServidor checked when a server shows its own readings.
    void ShowDadesServ(bool dadesServ);
    /// Metrico or Imperial checked, and the speed gauge's range.
    void ShowUnits(bool imperial);
    /// Graphics on: the 22 threshold fields teal until the next scan colours them. Off: the four
    /// gauges empty, the fields white, the wheel markers hidden. Graficos checked when on.
    void ShowGraphicsMode(bool noGrafics);
    /// WebDashboard checked while the dashboard is served.
    void ShowWebDashboard(bool serving);
    /// The gauges' back colour (the panel background when the window loads).
    void ShowGaugeBackground(core::ColourNumber colour);

    /// The message of a server port that cannot be opened: why, and what to do about it.
    static std::string ListenFailureText(const net::ListenFailure& failure);
    /// The same for the web dashboard's port: held by another program, or the system's reason.
    static std::string WebFailureText(std::uint16_t port, bool portInUse, std::string_view error);

private:
    panel::PanelModel& m_panel;
    ui::LanguageTexts& m_texts;
};

}  // namespace kerbview::app
