// SPDX-License-Identifier: MIT
#include "app/program.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/number_rules.h"
#include "core/text_encoding.h"
#include "panel/element_catalogue.h"

#ifndef KERBVIEW_VERSION
#error "KERBVIEW_VERSION must come from the build (the project's version)"
#endif

namespace kerbview::app {
namespace {

using panel::Element;

// Shows a decoded picture through the front end and records it in the panel model.
class FrontEndPictures : public panel::PictureLoader {
public:
    FrontEndPictures(PictureDecoder& decoder, panel::PanelModel& panel)
        : m_decoder(decoder), m_panel(panel) {}
    bool LoadInto(Element e, const std::string& path) override {
        if (!m_decoder.DecodePicture(e, path)) return false;
        m_panel.SetPicture(e, path);
        return true;
    }

private:
    PictureDecoder& m_decoder;
    panel::PanelModel& m_panel;
};

// The recordings go into the program folder when no other folder is given.
RecordingServices WithFolder(RecordingServices services, const std::filesystem::path& folder) {
    if (services.folder.empty()) services.folder = folder / "recordings";
    return services;
}

}  // namespace

int TimerIntervalFor(std::int16_t scanTime) { return scanTime > 0 ? scanTime : 0; }

Program::Program(std::filesystem::path programFolder, char decimalSeparator,
                 telemetry::Platform platform, Sockets sockets, web::DashboardService& dashboard,
                 std::ostream& log, const core::Clock& clock, RecordingServices recording)
    : m_programFolder(std::move(programFolder)),
      m_decimalSeparator(decimalSeparator),
      m_platform(std::move(platform)),
      m_clock(clock),
      m_sockets(sockets),
      m_dashboard(dashboard),
      m_store(core::IniPathFor(m_programFolder)),
      m_errorLog(m_debug, log),
      m_presenter(m_panel, m_texts),
      m_gameLink(*m_platform.windows, *m_platform.memory, m_errors),
      m_acquisition(m_gameLink.Readers(), telemetry::LoadMemoryMap()),
      m_presentation(m_panel, m_debug),
      m_roles(sockets.tcpServer, sockets.tcpClient, m_settings, m_errors, m_decimalSeparator),
      m_recorder(WithFolder(std::move(recording), m_programFolder), m_clock, KERBVIEW_VERSION),
      m_lastSnapshotMs(m_clock.NowMs()) {
    // Reports made while the settings load come before DebugEnabled is read, which is false
    // until then.
    m_errors.SetSink([this](const core::ErrorReport& report) {
        m_errorLog.Report(report, m_settings.DebugEnabled);
    });
    m_sockets.tcpServer.setEvents(
        {.connectionRequest = [this] { m_roles.TCPServer_ConnectionRequest(); },
         .sendComplete = [this] { m_roles.TCPServer_SendComplete(); },
         .dataArrival = {},
         .connectionDropped =
             [this](const std::string& reason) { TCPServer_ConnectionDropped(reason); }});
    m_sockets.tcpClient.setEvents({.connectionRequest = {},
                                   .sendComplete = {},
                                   .dataArrival = [this] { TCPClient_DataArrival(); },
                                   .connectionDropped = {}});
}

// The sockets and the dashboard may outlive the program: nothing of it may be called or read
// afterwards.
Program::~Program() {
    m_sockets.tcpServer.setEvents({});
    m_sockets.tcpClient.setEvents({});
    m_dashboard.Stop();
}

void Program::Write(std::string_view procName, std::string_view key, std::string_view value,
                    std::string_view section) {
    // A busy file (another writer) keeps the value for the next write; a failure is reported.
    if (const core::WriteResult written = m_store.Write(section, key, value);
        written.status == core::WriteStatus::Failed) {
        m_errors.ReportError(procName, written.error);
    }
}

bool Program::Main(FrontEnd& frontEnd) {
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
        LoadConsumptions();
        m_frontEnd = &frontEnd;
        frontEnd.CreateMainWindow();
        Load();
        writeStartUpSettings();
        frontEnd.SetTimerInterval(TimerIntervalFor(m_settings.ScanTime));
        m_acquisition.SetDriverSelectMode(0);
        m_acquisition.SetFixedDriverSlot(0);
        frontEnd.ShowMainWindow();
        // A dashboard switched on in the file that cannot serve says why at once, not only
        // when its menu item is clicked.
        if (m_settings.WebEnabled && !m_dashboard.Serving()) ShowDashboardWindow();
        if (m_settings.AdminEnabled) frontEnd.ShowAdminWindow(Presenter::Admin());
        if (m_settings.DebugEnabled) frontEnd.ShowDebugWindow(Presenter::DebugWindowTitle());
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
    panel::ResetOffScreenPosition(m_settings.PosFormX, m_settings.PosFormY,
                                  static_cast<std::int64_t>(size.outerWidth),
                                  static_cast<std::int64_t>(size.outerHeight), fe.Desktop());

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
    // Not original settings: applied, but written only when the user changes them, so that a
    // file without [Web] or [Recording] stays as it is.
    Canvia_Web(false);
    ReplayChanged();
    Canvia_Recording(false);
    UpdateLaps(false);
}

void Program::ShowDashboardWindow() {
    const bool serving = m_dashboard.Serving();
    const web::ServeFailure failure = m_dashboard.Failure();
    m_frontEnd->ShowDashboardWindow(
        m_presenter.DashboardWindow(serving, serving ? m_dashboard.Port() : m_settings.WebPort,
                                    serving ? m_dashboard.Addresses() : std::vector<std::string>{},
                                    failure.portInUse, failure.error));
}

void Program::CarSkinUpdate() {
    FrontEndPictures pictures(*m_frontEnd, m_panel);
    m_carSkins.Update(CurrentCar(), m_programFolder, pictures);
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
                           m_frontEnd != nullptr ? m_frontEnd->TwipsPerPixel() : 0, available);
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

}  // namespace kerbview::app
