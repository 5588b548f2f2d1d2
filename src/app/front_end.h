// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "core/colours.h"
#include "panel/panel_elements.h"
#include "panel/window_placement.h"

namespace kerbview::app {

/// Outer and client size of the main window, in twips.
struct WindowSize {
    double outerWidth = 0;
    double outerHeight = 0;
    double clientWidth = 0;
    double clientHeight = 0;
};

/// What became of a request to serve the web dashboard.
struct WebServing {
    bool serving = false;
    /// Why a dashboard asked for does not serve: another program holds the port, or the
    /// system's reason (UTF-8). Both empty when it serves or was not asked to.
    bool portInUse = false;
    std::string error;
};

/// What the program needs from the window toolkit. Implemented by the Qt front end; tests
/// hand the program a fake. Positions and sizes are in twips. Nothing here blocks: every
/// window it opens is shown without waiting for the user.
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
    /// The two address dialogs of the Conexio menu, with the current texts and settings.
    virtual void ShowIntroPort() = 0;
    virtual void ShowIntroIP() = 0;
    /// A message with a stop icon, an OK button and the application's title: two lines
    /// (Windows-1252). Shown without blocking; the scan goes on behind it.
    virtual void ShowMessage(const std::string& line1, const std::string& line2) = 0;
    /// The web dashboard: serves the panel to browsers on port when enabled and stops when not.
    /// Returns whether it serves now and, when a port cannot be opened, why.
    virtual WebServing ServeWebDashboard(bool enabled, std::uint16_t port) = 0;
    /// The window telling how to open the dashboard (its addresses and QR code), or why it
    /// cannot be served; closed by ServeWebDashboard(false).
    virtual void ShowWebDashboardWindow() = 0;
    /// Closes the main window, which runs its unload (Program::Unload).
    virtual void CloseMainWindow() = 0;
    /// Ends the program at once, closing every other window.
    virtual void Quit() = 0;
};

}  // namespace kerbview::app
