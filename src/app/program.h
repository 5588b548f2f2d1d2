// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/error_report.h"
#include "core/scan_cycle.h"
#include "core/settings.h"
#include "panel/car_skins.h"
#include "panel/layout_scaling.h"
#include "panel/panel_elements.h"
#include "panel/panel_model.h"
#include "panel/presentation.h"
#include "panel/units.h"
#include "panel/window_placement.h"
#include "telemetry/acquisition.h"
#include "telemetry/game_link.h"
#include "telemetry/platform.h"
#include "telemetry/snapshot.h"
#include "ui/language_texts.h"

namespace kerbview::app {

/// Outer and client size of the main window, in twips.
struct WindowSize {
    double outerWidth = 0;
    double outerHeight = 0;
    double clientWidth = 0;
    double clientHeight = 0;
};

/// What the program needs from the window toolkit. Implemented by the Qt front end; tests
/// hand the program a fake. Positions and sizes are in twips.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    /// Creates the main window (not shown yet). Called once, by Main.
    virtual void CreateMainWindow() = 0;
    virtual void SetBackgroundColour(core::ColourNumber colour) = 0;
    /// Bounding rectangle of all screens, in pixels.
    virtual panel::DesktopRect VirtualDesktopPixels() = 0;
    /// Twips per pixel of the screen in x and y (15 at 96 dots per inch).
    virtual double TwipsPerPixelX() = 0;
    virtual double TwipsPerPixelY() = 0;
    virtual WindowSize MainWindowSize() = 0;
    virtual void MoveMainWindow(std::int32_t left, std::int32_t top) = 0;
    virtual float MainWindowLeft() = 0;
    virtual float MainWindowTop() = 0;
    /// Decodes the picture in path for element e; false when it is missing, empty, truncated or
    /// not a picture. Never shows a message.
    virtual bool DecodePicture(panel::Element e, const std::string& path) = 0;

    /// Timer1: its interval (0 stops it) and whether it runs.
    virtual void SetTimerInterval(int milliseconds) = 0;
    virtual void SetTimerEnabled(bool enabled) = 0;

    virtual void ShowMainWindow() = 0;
    virtual void ShowAdminWindow() = 0;
    virtual void ShowDebugWindow() = 0;
    /// The about window, with the texts of the current language; brought to the front when open.
    virtual void ShowAbout() = 0;
    /// A modal box with an OK button and the application's title: two lines.
    virtual void ShowMessage(const std::string& line1, const std::string& line2) = 0;
    /// Closes the main window, which runs its unload (Program::Unload).
    virtual void CloseMainWindow() = 0;
    /// Ends the program at once, closing every other window.
    virtual void Quit() = 0;
};

/// The network roles as the rest of the program sees them. The network code provides an
/// implementation; without one the program behaves as with no connection role.
class NetworkRoles {
public:
    virtual ~NetworkRoles() = default;
    /// Socket upkeep of a scan tick (connection flags, Label15, listen or connect).
    virtual void SocketUpkeep() = 0;
    virtual bool ServerConnected() = 0;
    virtual bool ReadyToSend() = 0;
    /// True when a snapshot may be sent now (server, client connected, previous one sent).
    virtual bool MaySend() = 0;
    virtual void SendTelemetry(const telemetry::Snapshot& snapshot) = 0;
    virtual void SendStatusOnly() = 0;
    virtual void Canvia_Conexio(std::int16_t tipus) = 0;
    virtual void Canvia_Dades_Serv() = 0;
    /// Clicks on Cap, Servidor, Client and VeureDadesServidor.
    virtual void ConexioMenuClick(panel::Menu item) = 0;
};

/// The program's state and the procedures that cut across subsystems: Main's start-up, the
/// main window's load and unload, the apply procedures, the scan steps and the menu handlers.
/// Plain C++: the toolkit is reached only through FrontEnd.
class Program : private core::ScanSteps, private telemetry::LinkObserver {
public:
    /// programFolder holds Kerbview.ini, the default pictures and carskins; decimalSeparator
    /// is the user's locale separator. The platform services are owned by the program.
    Program(std::filesystem::path programFolder, char decimalSeparator,
            telemetry::Platform platform);
    ~Program() override;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    /// Main: loads the settings, resets the simulator link, creates and loads the main window,
    /// sets the timer, shows the main window and, when switched on, the Admin and debug
    /// windows. Returns false when start-up stopped before any window was created (a setting
    /// out of range: "Main" is reported, silently unless debugging was already known on); the
    /// caller then ends the program. Never throws.
    bool Main(FrontEnd& frontEnd);

    /// Load handler of the main window: background colour, off-screen check, default
    /// pictures, layout record, move to the stored position, then Canvia_Idioma, Canvia_Scan,
    /// Canvia_Conexio, Canvia_Grafics, Canvia_Unitats and Canvia_Dades_Serv in that order.
    void Load();
    /// Unload handler: releases the simulator process, then ends the program.
    void Unload();

    /// Timer1's tick.
    void Tick() { m_scanCycle.Tick(); }

    void Canvia_Scan();
    void Canvia_Grafics();
    void Canvia_Idioma();
    void Canvia_Unitats();

    /// A click on a menu item of the main window.
    void MenuClick(panel::Menu item);
    /// Admin window option button with index 0, 1 or 2.
    void Option1_Click(int index);

    /// Lectures of a snapshot that did not come from memory (the client role): sends nothing,
    /// presents it exactly as a scan of the simulator would. Reports "Lectures" on failure.
    void PresentReceived(telemetry::Snapshot& snapshot);

    /// Resize handler: what the window should do after a size change.
    panel::ResizeAction Resize(panel::WindowState state, double outerWidth, double outerHeight);
    /// Calls apply for every scaled element with its geometry for the given client area.
    void ScaleElements(
        double clientWidth, double clientHeight,
        const std::function<void(panel::Element, const panel::ScaledGeometry&)>& apply) const;

    /// The network roles; may be null (no role). Not owned; must outlive its use.
    void SetNetworkRoles(NetworkRoles* roles) { m_net = roles; }

    // State, by the product's names.
    core::Settings& Settings() { return m_settings; }
    const core::SettingsStore& Store() const { return m_store; }
    core::ErrorReporter& Errors() { return m_errors; }
    panel::PanelModel& Panel() { return m_panel; }
    panel::DebugModel& Debug() { return m_debug; }
    ui::LanguageTexts& Texts() { return m_texts; }
    telemetry::GameLink& Link() { return m_gameLink; }
    core::ScanCycle& ScanCycle() { return m_scanCycle; }
    const panel::LayoutRecord& Layout() const { return m_layout; }
    std::int16_t DriverSelectMode() const { return m_DriverSelectMode; }
    std::int16_t FixedDriverSlot() const { return m_FixedDriverSlot; }
    const std::filesystem::path& ProgramFolder() const { return m_programFolder; }
    char DecimalSeparator() const { return m_decimalSeparator; }

private:
    void Write(std::string_view section, std::string_view key, std::string_view value);

    // core::ScanSteps
    bool CarChanged() override;
    void CarSkinUpdate() override;
    void SetTimerEnabled(bool enabled) override;
    float WindowLeft() override;
    float WindowTop() override;
    void SocketUpkeep() override;
    bool RACE07_Actiu() override;
    void SetGameActive(bool active) override;
    std::uint32_t TickCount() override;
    void Lectures() override;
    bool ServerConnected() override;
    bool ReadyToSend() override;
    void SendStatusOnly() override;

    // telemetry::LinkObserver
    void ShowStatus(telemetry::LinkStatus status) override;
    void ShowOpenFailure(const std::string& message, const std::string& detail) override;

    void Present(telemetry::Snapshot& snapshot);

    std::filesystem::path m_programFolder;
    char m_decimalSeparator;
    telemetry::Platform m_platform;
    FrontEnd* m_frontEnd = nullptr;
    NetworkRoles* m_net = nullptr;

    core::SettingsStore m_store;
    core::Settings m_settings;
    core::ErrorReporter m_errors;
    panel::PanelModel m_panel;
    panel::DebugModel m_debug;
    ui::LanguageTexts m_texts;
    telemetry::GameLink m_gameLink;
    std::optional<telemetry::Acquisition> m_acquisition;
    telemetry::Snapshot m_snapshot;
    panel::Units m_units;
    panel::Presentation m_presentation;
    panel::CarSkins m_carSkins;
    panel::LayoutRecord m_layout;
    core::ScanCycle m_scanCycle;
    std::int16_t m_DriverSelectMode = 0;
    std::int16_t m_FixedDriverSlot = 0;
};

}  // namespace kerbview::app
