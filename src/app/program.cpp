// SPDX-License-Identifier: MIT
#include "app/program.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/number_rules.h"
#include "core/text_encoding.h"
#include "panel/element_catalogue.h"

namespace kerbview::app {
namespace {

using panel::Element;

// Shows a decoded picture through the front end and records it in the panel model.
class FrontEndPictures : public panel::PictureLoader {
public:
    FrontEndPictures(FrontEnd& frontEnd, panel::PanelModel& panel)
        : m_frontEnd(frontEnd), m_panel(panel) {}
    bool LoadInto(Element e, const std::string& path) override {
        if (!m_frontEnd.DecodePicture(e, path)) return false;
        m_panel.SetPicture(e, path);
        return true;
    }

private:
    FrontEnd& m_frontEnd;
    panel::PanelModel& m_panel;
};

}  // namespace

Program::Program(std::filesystem::path programFolder, char decimalSeparator,
                 telemetry::Platform platform, Sockets sockets, std::ostream& log,
                 const core::Clock& clock)
    : m_programFolder(std::move(programFolder)),
      m_decimalSeparator(decimalSeparator),
      m_platform(std::move(platform)),
      m_clock(clock),
      m_store(core::IniPathFor(m_programFolder)),
      m_errorLog(m_debug, log),
      m_presenter(m_panel, m_texts),
      m_gameLink(*m_platform.windows, *m_platform.memory, m_errors, *this),
      m_acquisition(m_gameLink.Readers(), telemetry::LoadMemoryMap()),
      m_presentation(m_panel, m_debug),
      m_roles(sockets.tcpServer, sockets.tcpClient, m_settings, m_errors, *this,
              m_decimalSeparator),
      m_scanCycle(*this, m_settings, m_store, m_errors),
      m_lastSnapshotMs(m_clock.NowMs()) {
    m_errors.SetSink([this](const core::ErrorReport& report) {
        m_errorLog.Report(report, m_errors.DebugEnabled());
    });
}

Program::~Program() = default;

void Program::Write(std::string_view procName, std::string_view key, std::string_view value,
                    std::string_view section) {
    // A busy file (another writer) keeps the value for the next write; a failure is reported.
    if (const core::WriteResult written = m_store.Write(section, key, value);
        written.status == core::WriteStatus::Failed) {
        m_errors.ReportError(procName, written.error);
    }
}

// The status a server sends: what its Label1 shows at that moment.
std::string Program::Status() const { return m_panel[Element::Label1].text; }

bool Program::Main(FrontEnd& frontEnd) {
    m_frontEnd = &frontEnd;
    // Start-up writes the thresholds back and each apply procedure its setting: all of them in
    // one rewrite of the file, which may be large.
    m_store.BeginBatch();
    const auto writeStartUpSettings = [this] {
        if (const core::WriteResult written = m_store.EndBatch();
            written.status == core::WriteStatus::Failed) {
            m_errors.ReportError("Main", written.error);
        }
    };
    try {
        m_settings = core::LoadSettings(m_store, m_decimalSeparator, m_errors);
    } catch (const core::SettingsLoadError& e) {
        // Before DebugEnabled is read the debug window stays out of it; standard error gets
        // the setting that stopped the start either way.
        m_startFailure = "[" + e.Section() + "] " + e.Key() + "=" + core::Cp1252ToUtf8(e.Value()) +
                         ": " + e.what() + "; the program does not start";
        m_errors.ReportError("Main", m_startFailure);
        return false;
    } catch (const std::exception& e) {
        m_startFailure = e.what();
        m_errors.ReportError("Main", m_startFailure);
        return false;
    } catch (...) {
        m_startFailure = "unknown error";
        m_errors.ReportError("Main", m_startFailure);
        return false;
    }
    try {
        m_gameLink.SetScanTime(m_settings.ScanTime);
        m_gameLink.ResetGameLink();
        frontEnd.CreateMainWindow();
        Load();
        writeStartUpSettings();
        frontEnd.SetTimerInterval(core::TimerIntervalFor(m_settings.ScanTime));
        m_acquisition.SetDriverSelectMode(0);
        m_acquisition.SetFixedDriverSlot(0);
        frontEnd.ShowMainWindow();
        // A dashboard switched on in the file that cannot serve says why at once, not only
        // when its menu item is clicked.
        if (m_settings.WebEnabled && !m_webServing) frontEnd.ShowWebDashboardWindow();
        if (m_settings.AdminEnabled) frontEnd.ShowAdminWindow();
        if (m_settings.DebugEnabled) frontEnd.ShowDebugWindow();
    } catch (...) {
        m_errors.ReportCurrentException("Main");
        writeStartUpSettings();
    }
    return true;
}

void Program::Load() {
    FrontEnd& fe = *m_frontEnd;
    const auto background = static_cast<core::ColourNumber>(m_settings.BackgroundColor);
    fe.SetBackgroundColour(background);

    const WindowSize size = fe.MainWindowSize();
    const panel::DesktopRect desktop = panel::VirtualDesktopUnits(
        fe.VirtualDesktopPixels(), fe.TwipsPerPixelX(), fe.TwipsPerPixelY());
    panel::ResetOffScreenPosition(m_settings.PosFormX, m_settings.PosFormY,
                                  static_cast<std::int64_t>(size.outerWidth),
                                  static_cast<std::int64_t>(size.outerHeight), desktop);

    FrontEndPictures pictures(fe, m_panel);
    panel::LoadDefaultPictures(m_programFolder, pictures);

    m_layout = panel::RecordLayout(panel::CatalogueGeometry(), size.clientWidth, size.clientHeight,
                                   size.outerWidth, size.outerHeight);
    m_presenter.ShowGaugeBackground(background);

    fe.MoveMainWindow(m_settings.PosFormX, m_settings.PosFormY);

    Canvia_Idioma();
    Canvia_Scan();
    Canvia_Conexio(m_settings.TipusConexio);
    Canvia_Grafics();
    Canvia_Unitats();
    Canvia_Dades_Serv();
    // Not one of the original settings: applied, but written only when the user changes it, so
    // that a file without [Web] stays as it is.
    Canvia_Web(false);
}

void Program::Unload() {
    m_gameLink.CloseProcessHandle();
    // A value kept while another writer held the file must not be lost at the end: another
    // copy's write takes milliseconds, so a few seconds are worth waiting for it.
    if (const core::WriteResult flushed = m_store.Flush(std::chrono::seconds(3)); !flushed.Ok()) {
        m_errors.ReportError("Unload", flushed.error);
    }
    if (m_frontEnd != nullptr) m_frontEnd->Quit();
}

panel::ResizeAction Program::Resize(panel::WindowState state, double outerWidth, double outerHeight,
                                    std::optional<panel::OuterSize> available) {
    return panel::OnResize(m_layout, state, outerWidth, outerHeight,
                           m_frontEnd != nullptr ? m_frontEnd->TwipsPerPixelX() : 0, available);
}

void Program::ScaleElements(
    double clientWidth, double clientHeight,
    const std::function<void(Element, const panel::ScaledGeometry&)>& apply) const {
    const auto collection = panel::ElementCollection();
    panel::ScaleElements(
        m_layout, clientWidth, clientHeight,
        [&](std::size_t position, const panel::ScaledGeometry& g) {
            if (position < collection.size() &&
                collection[position].type == panel::CollectionEntry::Type::PanelElement) {
                apply(collection[position].element, g);
            }
        });
}

// ---- Scan steps -------------------------------------------------------------------------

// Values that merely do not change (a paused game) come in fresh snapshots and are not old; a
// gap of two and a half scans (at least 2 s) is, while a lost packet or a late tick is not.
void Program::Tick() {
    m_scanCycle.Tick();
    const std::int64_t limit = std::max<std::int64_t>(2000, m_settings.ScanTime * 5 / 2);
    m_panel.SetStale(panel::PresentsSnapshot(m_settings) &&
                     m_clock.NowMs() - m_lastSnapshotMs >= limit);
}

void Program::SnapshotTaken() {
    m_lastSnapshotMs = m_clock.NowMs();
    m_panel.SetStale(false);
}

bool Program::CarChanged() { return m_carSkins.NeedsUpdate(m_acquisition.CurrentCar()); }

void Program::CarSkinUpdate() {
    FrontEndPictures pictures(*m_frontEnd, m_panel);
    m_carSkins.Update(m_acquisition.CurrentCar(), m_programFolder, pictures);
}

void Program::SetTimerEnabled(bool enabled) { m_frontEnd->SetTimerEnabled(enabled); }
float Program::WindowLeft() { return m_frontEnd->MainWindowLeft(); }
float Program::WindowTop() { return m_frontEnd->MainWindowTop(); }
void Program::SocketUpkeep() { m_roles.SocketUpkeep(); }
bool Program::RACE07_Actiu() { return m_gameLink.RACE07_Actiu(); }
void Program::SetGameActive(bool) {}  // the link keeps GameActive itself
bool Program::ProcessReadable() { return m_gameLink.HoldsProcessHandle(); }

std::uint32_t Program::TickCount() { return static_cast<std::uint32_t>(m_clock.NowMs()); }

void Program::Lectures() {
    try {
        const telemetry::AcquireResult acquired = m_acquisition.Acquire(m_snapshot);
        // Not the simulator's memory: its zeros are no telemetry, and its window must not keep
        // the simulator's own from being found.
        if (acquired == telemetry::AcquireResult::NothingRead) {
            m_gameLink.PassOverProcess();
            return;
        }
        if (acquired == telemetry::AcquireResult::EndTick) return;
        SnapshotTaken();
        if (m_roles.MaySend()) {
            m_roles.SendTelemetry(m_snapshot, Status());
            ++m_packetsSent;
        }
        if (!panel::PresentsSnapshot(m_settings)) {
            // The lap under way when the server shows its readings again is not watched whole.
            m_snapshotsRestart = true;
            return;
        }
        Present(m_snapshot);
    } catch (...) {
        m_errors.ReportCurrentException("Lectures");
    }
}

void Program::Present(const telemetry::Snapshot& snapshot) {
    if (std::exchange(m_snapshotsRestart, false)) m_presentation.Lap().Restart();
    const panel::PresentContext context{m_settings,
                                        m_texts,
                                        m_units,
                                        m_acquisition.DriverSelectMode(),
                                        m_decimalSeparator,
                                        m_scanCycle.ScanStartTick(),
                                        [this] { return TickCount(); }};
    m_presentation.Present(snapshot, context);
}

bool Program::ServerConnected() { return m_roles.ServerConnected; }
bool Program::ReadyToSend() { return m_roles.ReadyToSend; }

void Program::SendStatusOnly() {
    m_roles.SendStatusOnly(Status());
    ++m_packetsSent;
}

// ---- Link -------------------------------------------------------------------------------

void Program::OnLinkStatus(telemetry::LinkStatus status) {
    m_presenter.ShowLinkStatus(status);
    if (status == telemetry::LinkStatus::Running) m_snapshotsRestart = true;
}

void Program::OnOpenFailed(const std::string& detail) {
    m_errorLog.Notice(std::string(telemetry::GameLink::kOpenFailureMessage) + ": " + detail);
    m_frontEnd->ShowMessage(std::string(telemetry::GameLink::kOpenFailureMessage),
                            core::Utf8ToCp1252(detail));
}

void Program::OnNotTheSimulator(std::uint32_t processId) {
    m_errorLog.Notice("The \"" + std::string(telemetry::GameLink::kWindowTitle) +
                      "\" window of process " + std::to_string(processId) +
                      " holds no telemetry where the simulator keeps it (another program, or "
                      "another build of the simulator); looking for another such window.");
}

// ---- Network roles ----------------------------------------------------------------------

void Program::SetScanTimerEnabled(bool enabled) { m_frontEnd->SetTimerEnabled(enabled); }

// Every accepted packet is unpacked, also one that arrives before the first tick that finds the
// client connected: presenting default values there would flash zeros on each new connection.
void Program::ClientLectures() {
    telemetry::Snapshot snapshot;
    try {
        const net::UnpackResult result = m_roles.UnpackTelemetry(
            snapshot, [this](std::string_view status) { m_presenter.ShowServerStatus(status); });
        // The server cannot read its simulator: its status is shown, the panel keeps its values,
        // and the readings that come next start afresh, as the server's own panel does when
        // its simulator is attached.
        if (result == net::UnpackResult::StatusOnly) {
            m_snapshotsRestart = true;
            return;
        }
        SnapshotTaken();
        Present(snapshot);
        ++m_packetsPresented;
    } catch (...) {
        m_errors.ReportCurrentException("Lectures");
    }
}

void Program::OnConnectionStatus(net::ConnectionStatus status) {
    m_presenter.ShowConnection(status);
    // A client not connected at this tick connects anew: the first readings of the new
    // connection come from a lap already under way.
    if (m_settings.TipusConexio == 2 && status != net::ConnectionStatus::Connected) {
        m_snapshotsRestart = true;
    }
}

void Program::OnListenFailed(const net::ListenFailure& failure) {
    const std::string text = Presenter::ListenFailureText(failure);
    m_errorLog.Notice(text);
    m_frontEnd->ShowMessage(core::Utf8ToCp1252(text), "");
}

void Program::OnClientDropped(const std::string& reason) {
    m_errorLog.Notice("The client connection was closed: " + reason);
}

}  // namespace kerbview::app
