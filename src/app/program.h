// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/error_log.h"
#include "app/front_end.h"
#include "app/presenter.h"
#include "app/recorder.h"
#include "app/replay.h"
#include "core/clock.h"
#include "core/error_report.h"
#include "core/settings.h"
#include "laps/fuel_strategy.h"
#include "laps/lap_history.h"
#include "laps/laps_view.h"
#include "net/dialog_logic.h"
#include "net/net_roles.h"
#include "net/socket.h"
#include "panel/car_skins.h"
#include "panel/layout_scaling.h"
#include "panel/panel_elements.h"
#include "panel/panel_model.h"
#include "panel/presentation.h"
#include "panel/units.h"
#include "telemetry/acquisition.h"
#include "telemetry/game_link.h"
#include "telemetry/platform.h"
#include "telemetry/snapshot.h"
#include "ui/language_texts.h"
#include "web/dashboard_service.h"

namespace kerbview::app {

/// The two sockets of the main window, TCPServer and TCPClient. Not owned.
struct Sockets {
    net::Socket& tcpServer;
    net::Socket& tcpClient;
};

/// Timer1's interval in milliseconds for a ScanTime; 0 means the timer stays stopped (a
/// ScanTime of 0, and, by our choice, a negative one).
int TimerIntervalFor(std::int16_t scanTime);

/// The program's state and the procedures that cut across subsystems: Main's start-up, the
/// main window's load and unload, the apply procedures, the scan tick, the socket events and
/// the menu and dialog handlers. Plain C++: the toolkit is reached only through FrontEnd. The
/// libraries return typed results here (link steps, socket upkeep, received packets) and the
/// presenter turns them into what the user reads.
class Program {
public:
    /// programFolder holds Kerbview.ini, the default pictures and carskins; decimalSeparator
    /// is the user's locale separator. The platform services are owned by the program; the
    /// sockets, the web dashboard and the clock must outlive it. Errors and notices are written
    /// to `log` (standard error). The stints are recorded through `recording`.
    Program(std::filesystem::path programFolder, char decimalSeparator,
            telemetry::Platform platform, Sockets sockets, web::DashboardService& dashboard,
            std::ostream& log = std::cerr, const core::Clock& clock = core::SystemClock(),
            RecordingServices recording = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    /// Main: loads the settings, resets the simulator link, creates and loads the main window,
    /// sets the timer, shows the main window and, when switched on, the Admin and debug
    /// windows. Returns false when start-up stopped before any window was created: a setting out
    /// of range or unreadable, reported as "Main" with its section, key and value (on standard
    /// error always, in the debug window only when debugging was already known to be on); the
    /// caller then ends the program with a failure status. Never throws. The program has a
    /// front end from the creation of the main window on: frontEnd must outlive every later
    /// call into the program. Before it there is no window, no tick and no menu to click.
    bool Main(FrontEnd& frontEnd);
    /// Why Main stopped the start, as written on standard error after "Main: " (UTF-8); empty
    /// when it did not.
    const std::string& StartFailure() const { return m_startFailure; }

    /// Unload handler: releases the simulator process, then ends the program.
    void Unload();

    /// Timer1's tick (nothing before Main): the car-skin update when the car changed (Timer1
    /// stopped around it), then Temps, then whether the panel's values are old (the panel model's
    /// Stale flag): no snapshot acquired (no role, server) or received (client) for max(2 s, 2.5 x
    /// ScanTime) since the last one or the start. A server that does not show its own readings is
    /// never stale. A tick that falls due while another one still runs (a nested event loop) is
    /// dropped. Never throws.
    void Tick();
    /// Ticks dropped because they fell due inside another tick.
    std::uint64_t DroppedTicks() const { return m_droppedTicks; }

    // The apply procedures: each shows the setting, applies it and stores it at once.
    void Canvia_Idioma();
    void Canvia_Scan();
    void Canvia_Conexio(core::Role tipus);
    void Canvia_Grafics();
    void Canvia_Unitats();
    void Canvia_Dades_Serv();
    /// The web dashboard as WebEnabled asks: served or stopped, its menu item checked while it
    /// is served, and [Web] Enabled stored (a start-up that only applies the file stores nothing).
    void Canvia_Web(bool store = true);
    /// The stints recorded as RecordingEnabled asks, the menu item checked while they are, and
    /// [Recording] Enabled stored (a start-up that only applies the file stores nothing).
    void Canvia_Recording(bool store = true);

    /// A click on a menu item of the main window (nothing before Main).
    void MenuClick(panel::Menu item);
    /// Plays the recording in file from the next tick on, in place of the simulator, at speed
    /// (kReplaySpeedMin to kReplaySpeedMax), replacing a replay under way. Refused with a
    /// message for a client, and for a file that cannot be played (said why); false then, and
    /// nothing before Main. The recording's end shows the simulator gone.
    bool StartReplay(const std::filesystem::path& file, double speed = 1);
    /// A replay is under way (paused or not).
    bool Replaying() const { return m_replay != nullptr; }
    /// Admin window option button with index 0, 1 or 2: DriverSelectMode from the next scan.
    void Option1_Click(int index);
    /// Command1 of the two address dialogs: checks and stores the texts and, when accepted,
    /// switches the role (Canvia_Conexio).
    net::DialogOutcome IntroPortAccept(std::string_view text2);
    net::DialogOutcome IntroIpAccept(std::string_view text1, std::string_view text2);

    /// The lap history and the fuel figures as the Laps window and the dashboard show them.
    const laps::LapsView& Laps() const { return m_lapsView; }
    /// The race dialog's accept button: the values typed (display units, the user's decimal
    /// separator) checked and stored in [Race]; Refused changes nothing.
    RaceDialogOutcome RaceDialogAccept(const RaceDialogValues& typed);
    /// Writes the lap history as CSV to csv (a new file, then renamed over it); false when it
    /// cannot be written, reported as "ExportLaps".
    bool ExportLaps(const std::filesystem::path& csv);
    /// Writes the recording out as a CSV file, or as MoTeC CSV, as kerbview --export does (a
    /// file that cannot be read or written leaves no half file); false, said in a message and
    /// on standard error, when it fails.
    bool ExportRecording(const std::filesystem::path& recording, const std::filesystem::path& out,
                         bool motecCsv);

    /// Resize handler: what the window should do after a size change. available: the largest
    /// outer size the screen offers the window (twips); empty when unknown.
    panel::ResizeAction Resize(panel::WindowState state, double outerWidth, double outerHeight,
                               std::optional<panel::OuterSize> available = std::nullopt);
    /// Calls apply for every scaled element with its geometry for the given client area.
    void ScaleElements(
        double clientWidth, double clientHeight,
        const std::function<void(panel::Element, const panel::ScaledGeometry&)>& apply) const;

    // State, by the product's names.
    core::Settings& Settings() { return m_settings; }
    const core::SettingsStore& Store() const { return m_store; }
    core::ErrorReporter& Errors() { return m_errors; }
    /// Standard error and the debug window's log, with their rate rule.
    ErrorLog& Log() { return m_errorLog; }
    panel::PanelModel& Panel() { return m_panel; }
    panel::DebugModel& Debug() { return m_debug; }
    const ui::LanguageTexts& Texts() const { return m_texts; }
    /// What the side windows, messages and dialogs say.
    const Presenter& Captions() const { return m_presenter; }
    telemetry::GameLink& Link() { return m_gameLink; }
    net::NetRoles& Roles() { return m_roles; }
    const panel::LayoutRecord& Layout() const { return m_layout; }
    std::int16_t DriverSelectMode() const { return m_acquisition.DriverSelectMode(); }
    const std::filesystem::path& ProgramFolder() const { return m_programFolder; }
    char DecimalSeparator() const { return m_decimalSeparator; }

    /// Packets sent by the server role, and packets the client role presented in full, since
    /// start (the measurement scripts read them).
    std::uint64_t PacketsSent() const { return m_packetsSent; }
    std::uint64_t PacketsPresented() const { return m_packetsPresented; }

private:
    /// Load handler of the main window: background colour, off-screen check, default pictures,
    /// layout record, move to the stored position, then Canvia_Idioma, Canvia_Scan,
    /// Canvia_Conexio, Canvia_Grafics, Canvia_Unitats and Canvia_Dades_Serv in that order.
    void Load();
    /// The dashboard's window: its addresses, or why it does not serve.
    void ShowDashboardWindow();
    /// Writes one setting of section Opcions (or another section); a write that fails is
    /// reported under procName.
    void Write(std::string_view procName, std::string_view key, std::string_view value,
               std::string_view section = core::kOpcions);

    /// Loads the picture of the car of the last acquisition. Throws; failures are not reported.
    void CarSkinUpdate();

    /// While held (a replay is shown), no stint is recorded; the one under way ends.
    void HoldRecording(bool held);

    // The lap history (laps_procedures.cpp).
    /// The snapshots start afresh (the simulator attached, the client not connected, a status
    /// without readings, a replay): the panel's lap reference restarts at the next presentation
    /// and the lap history's lap under way is not watched from its start.
    void SnapshotsRestart();
    /// Once a tick: the laps view rebuilt as far as it changed, and LapsChanged when it did
    /// (and notify: the first view, built at load, needs no redraw).
    void UpdateLaps(bool notify = true);
    void ShowRaceDialog();
    std::filesystem::path ConsumptionFile() const;
    void LoadConsumptions();
    std::optional<laps::Consumption> RememberedConsumption() const;
    void KeepConsumption();
    /// Now on the lap history's clock: the program's, or the replay's recorded time.
    std::int64_t LapsNowMs() const;

    // The scan tick, top to bottom (scan_cycle.cpp).
    void Temps();
    void SavePosition(float current, std::int32_t& stored, std::optional<float>& lastWritten,
                      std::string_view key);
    /// Shows the link's step: Label1's status, and an open failure's message.
    void ShowLinkStep(const telemetry::LinkStep& step);
    /// Acquisition and presentation of one scan; a server also sends the snapshot.
    void Lectures();
    /// One snapshot taken, from the simulator or a replay: sent when `send`, and presented.
    /// lapsMs is its time on the lap history's clock. Throws; callers report "Lectures".
    void TakeSnapshot(const telemetry::Snapshot& snapshot, bool send, std::int64_t lapsMs);
    /// The car whose picture the panel shows: the replay's while one runs.
    const std::string& CurrentCar() const;

    // The replay (replay.cpp).
    /// The tick's samples in place of the simulator's scan; readsSimulator false (a client)
    /// ends the replay.
    void ReplayLectures(bool readsSimulator);
    void ReplayMenuClick(panel::Menu item);
    void ReplayChanged();
    void ShowReplayProblem(record::ReadProblem problem, const std::string& detail);
    void SendStatusOnly();
    /// The presentation of one snapshot in base units. Throws; callers report "Lectures".
    void Present(const telemetry::Snapshot& snapshot);
    /// A snapshot was acquired or received: the panel's values are current, it goes into the
    /// lap history at lapsMs, and it is recorded.
    void SnapshotTaken(const telemetry::Snapshot& snapshot, std::int64_t lapsMs);
    /// The simulator or the connection is gone: the stint under way ends.
    void StintEnds();
    /// Recording stopped: the menu item unchecked, the message shown and logged once.
    void RecordingStopped(const RecordingFailure& failure);

    // The socket events, delivered on the thread that runs the tick.
    void TCPServer_ConnectionDropped(const std::string& reason);
    /// The client's Lectures for every packet that arrived whole, with no tick inside them.
    void TCPClient_DataArrival();
    /// The client's Lectures over one received packet: unpacked, then presented.
    void ClientLectures(std::string receivedText);

    std::filesystem::path m_programFolder;
    char m_decimalSeparator;
    telemetry::Platform m_platform;
    const core::Clock& m_clock;
    Sockets m_sockets;
    web::DashboardService& m_dashboard;
    // Set by Main as it creates the main window; null before.
    FrontEnd* m_frontEnd = nullptr;

    core::SettingsStore m_store;
    core::Settings m_settings;
    panel::PanelModel m_panel;
    panel::DebugModel m_debug;
    ErrorLog m_errorLog;
    core::ErrorReporter m_errors;
    ui::LanguageTexts m_texts;
    Presenter m_presenter;
    telemetry::GameLink m_gameLink;
    telemetry::Acquisition m_acquisition;
    telemetry::Snapshot m_snapshot;
    panel::DisplayUnits m_units;
    panel::Presentation m_presentation;
    panel::CarSkins m_carSkins;
    panel::LayoutRecord m_layout;
    net::NetRoles m_roles;
    // The laps of the stint under way, and what the Laps window shows of them. The history's
    // clock is the program's, or a replay's recorded time, so that a replay at any speed gives
    // the laps the stint gave; after a replay the simulator's first snapshot starts a new one.
    laps::LapHistory m_lapHistory;
    bool m_lapHistoryFromReplay = false;
    laps::LapsView m_lapsView;
    // What the laps view's table was built from.
    struct LapsTableKey {
        std::uint64_t revision = 0;
        std::string idioma;
        bool imperial = false;
        bool built = false;
    } m_lapsTableKey;
    // The consumption kept for each car and track, as consumption.txt holds it.
    std::vector<laps::ConsumptionMemory> m_consumptions;
    // The recording played in place of the simulator; null when none is.
    std::unique_ptr<Replay> m_replay;
    StintRecorder m_recorder;
    // The tick.
    bool m_inTick = false;
    std::uint64_t m_droppedTicks = 0;
    // The tick count taken just before the last Lectures started, when DebugEnabled was on.
    std::uint32_t m_scanStartTick = 0;
    // The window position last written, as the window reported it.
    std::optional<float> m_lastWrittenX;
    std::optional<float> m_lastWrittenY;
    std::uint64_t m_packetsSent = 0;
    std::uint64_t m_packetsPresented = 0;
    std::string m_startFailure;
    std::int64_t m_lastSnapshotMs = 0;
    // The snapshots start afresh (the simulator attached, the client not connected, a status
    // without readings, scans not shown): the next one presented restarts the lap reference.
    bool m_snapshotsRestart = false;
};

}  // namespace kerbview::app
