// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/front_end.h"
#include "core/settings.h"
#include "net/dialog_logic.h"
#include "net/net_roles.h"
#include "panel/panel_model.h"
#include "record/recording.h"
#include "telemetry/game_link.h"
#include "ui/language_texts.h"

namespace kerbview::app {

/// An item of the TempsRefresc menu and the ScanTime its click sets.
struct ScanTimeItem {
    panel::Menu item;
    std::int16_t scanTime;
};

/// The TempsRefresc menu, in menu order.
inline constexpr std::array<ScanTimeItem, 5> kScanTimeItems{{
    {panel::Menu::TS_10, 10},
    {panel::Menu::TS_50, 50},
    {panel::Menu::TS_150, 150},
    {panel::Menu::TS_500, 500},
    {panel::Menu::TS_1000, 1000},
}};

/// An item of the replay's speeds, the speed its click sets and the factor its caption shows
/// (Windows-1252).
struct ReplaySpeedItem {
    panel::Menu item;
    double speed;
    std::string_view factor;
};

/// The replay's speeds, in menu order.
inline constexpr std::array<ReplaySpeedItem, 4> kReplaySpeedItems{{
    {panel::Menu::ReplayX05, 0.5, "\xBD\xD7"},
    {panel::Menu::ReplayX1, 1, "1\xD7"},
    {panel::Menu::ReplayX2, 2, "2\xD7"},
    {panel::Menu::ReplayX4, 4, "4\xD7"},
}};

/// The eight language menu items, in the menu order of ui::kLanguageNames.
inline constexpr std::array<panel::Menu, 8> kLanguageMenus{
    panel::Menu::Espanol,  panel::Menu::Catala,  panel::Menu::Asturianu, panel::Menu::English,
    panel::Menu::Francais, panel::Menu::Deutsch, panel::Menu::Dutch,     panel::Menu::Italiano,
};

/// Language name (value of Idioma) of a language menu item; std::nullopt for any other item.
std::optional<std::string_view> LanguageOfMenu(panel::Menu item);

/// The one place that decides what the user reads: it turns the typed state that the libraries
/// report (link, connection, settings) into the main window's texts, captions and menu marks,
/// and gives the texts of the side windows, the messages and the notices. The texts come from
/// the language slots as they are at the moment a text is shown.
class Presenter {
public:
    /// Both must outlive the presenter.
    Presenter(panel::PanelModel& panel, const ui::LanguageTexts& texts)
        : m_panel(panel), m_texts(texts) {}

    /// Label1: TxtRunning or TxtNotRunning.
    void ShowLinkStatus(telemetry::LinkStatus status);
    /// Label1: TxtScanning (the link was reset).
    void ShowScanning();
    /// Label1: the status text a client received from its server.
    void ShowServerStatus(std::string_view status);
    /// The status text a server sends with each packet: what Label1 shows.
    std::string ServerStatus() const;
    /// Label15: TxtListening, TxtConnecting, TxtConnected, TxtNoLink, or empty for no role.
    void ShowConnection(net::ConnectionStatus status);

    /// The language just put into the slots (its menu-order position; none for a name that is
    /// no language, whose slots stay as they were): its item checked and no other, every
    /// caption of the main window written from the slots, TxtScanning in Label1. A menu caption
    /// whose slot is empty (an unknown language at start-up) shows the item's name, so that
    /// no menu vanishes from the menu bar.
    void ShowLanguage(std::optional<std::size_t> language);
    /// TS_10 ... TS_1000: only the item whose value is scanTime is checked.
    void ShowScanTime(std::int16_t scanTime);
    /// Cap, Servidor, Client: the role's item checked; VeureDadesServidor enabled for a server.
    void ShowRole(core::Role tipus);
    /// VeureDadesServidor checked when a server shows its own readings.
    void ShowDadesServ(bool dadesServ);
    /// Metrico or Imperial checked, and the speed gauge's range.
    void ShowUnits(bool imperial);
    /// Graphics on: the 22 threshold fields teal until the next scan colours them. Off: the four
    /// gauges empty, the fields white, the wheel markers hidden. Graficos checked when on.
    void ShowGraphicsMode(bool noGrafics);
    /// WebDashboard checked while the dashboard is served.
    void ShowWebDashboard(bool serving);
    /// ReplayPause and the speeds enabled only while a replay runs; ReplayPause checked while it
    /// is paused, and the speed it plays at checked (none for a speed the menu does not offer).
    void ShowReplay(bool running, bool paused, double speed);
    /// RecordStints checked while the stints are recorded.
    void ShowRecording(bool on);
    /// The gauges' back colour (the panel background when the window loads).
    void ShowGaugeBackground(core::ColourNumber colour);

    /// Why a recording cannot be played (further), in the current language (Windows-1252).
    std::string ReplayProblemText(record::ReadProblem problem, std::string_view detail) const;

    /// The texts of the side windows (Windows-1252): fixed ones for Admin and debug, the current
    /// language's for the others.
    static AdminTexts Admin();
    static std::string DebugWindowTitle();
    AboutTexts About() const;
    /// Intro_IP's texts when client, Intro_Port's otherwise.
    net::IntroTexts AddressDialog(bool client) const;
    /// Serving: the addresses of machineAddresses on port (this machine's own when none is
    /// left). Not serving: port and why it could not be opened: another program holds it, or
    /// the system's reason error (UTF-8).
    DashboardWindowTexts DashboardWindow(bool serving, std::uint16_t port,
                                         const std::vector<std::string>& machineAddresses,
                                         bool portInUse, std::string_view error) const;

    /// First line of the message shown when the simulator's process cannot be opened; the
    /// second is the reason.
    static constexpr std::string_view kOpenFailureMessage = "Imposible abrir el proceso";
    /// The debug window's last-error line for a report of procedure.
    static std::string DebugErrorLine(std::string_view procedure);
    /// The notices (standard error and the debug window's log, UTF-8) of what the user should
    /// know and is no caught error.
    static std::string OpenFailureNotice(std::string_view detail);
    static std::string NotTheSimulatorNotice(std::uint32_t processId);
    static std::string ClientDroppedNotice(std::string_view reason);
    /// The message of a server port that cannot be opened: why, and what to do about it.
    static std::string ListenFailureText(const net::ListenFailure& failure);
    /// The same for the web dashboard's port: held by another program, or the system's reason.
    static std::string WebFailureText(std::uint16_t port, bool portInUse, std::string_view error);
    /// Recording stopped because a recording could not be written: the message's first line
    /// (its second is detail, the file and the system's reason), and the notice.
    std::string RecordingStoppedText() const { return m_texts.TxtRecordingStopped; }
    static std::string RecordingStoppedNotice(std::string_view detail);

private:
    /// What Label1 shows.
    enum class Status { Scanning, Running, NotRunning, FromServer };
    void ShowStatus(Status status);

    panel::PanelModel& m_panel;
    const ui::LanguageTexts& m_texts;
    Status m_status = Status::Scanning;
    std::string m_serverStatus;
};

}  // namespace kerbview::app
