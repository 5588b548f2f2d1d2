// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/colours.h"
#include "net/dialog_logic.h"
#include "panel/panel_elements.h"
#include "panel/window_placement.h"

/// What a front end implements for the program: its main window with the scan timer, its side
/// windows, and the decoding of pictures. Plain C++; a front end implements all three in one
/// object (FrontEnd) and hands it to Program::Main. Nothing here blocks: every window is shown
/// without waiting for the user. The texts given are the presenter's, in Windows-1252.
namespace kerbview::app {

/// Outer and client size of the main window, in twips.
struct WindowSize {
    double outerWidth = 0;
    double outerHeight = 0;
    double clientWidth = 0;
    double clientHeight = 0;
};

/// The main window Kerbview_Form and its scan timer Timer1. Positions and sizes are in twips.
class MainWindow {
public:
    virtual ~MainWindow() = default;

    /// Creates the main window, not shown yet. Called once, by Main, before anything else here.
    virtual void CreateMainWindow() = 0;
    virtual void SetBackgroundColour(core::ColourNumber colour) = 0;
    /// The bounding rectangle of all screens.
    virtual panel::DesktopRect Desktop() = 0;
    /// Twips per pixel of the window's screen (15 at 96 dots per inch): the sizes the window can
    /// take exactly are whole multiples of it.
    virtual double TwipsPerPixel() = 0;
    virtual WindowSize MainWindowSize() = 0;
    virtual float MainWindowLeft() = 0;
    virtual float MainWindowTop() = 0;
    virtual void MoveMainWindow(std::int32_t left, std::int32_t top) = 0;
    virtual void ShowMainWindow() = 0;
    /// Closes the main window, which runs its unload (Program::Unload).
    virtual void CloseMainWindow() = 0;
    /// Ends the program at once, closing every other window.
    virtual void Quit() = 0;

    /// Timer1: its interval (0 stops it) and whether it runs. Each tick calls Program::Tick.
    virtual void SetTimerInterval(int milliseconds) = 0;
    virtual void SetTimerEnabled(bool enabled) = 0;
};

/// The texts of the Admin window: its title and the captions of its three option buttons.
struct AdminTexts {
    std::string title;
    std::array<std::string, 3> options;
};

/// The texts of the about window.
struct AboutTexts {
    std::string title;
    std::string name;
    std::string description;
    std::string credit;
};

/// What the web dashboard's window says: its title and the addresses to open, or why the
/// dashboard is not served. urls are plain ASCII.
struct DashboardWindowTexts {
    std::string title;
    std::vector<std::string> urls;
    std::string problem;
};

/// The texts of the race dialog (Windows-1252): its title, the captions of its fields and of
/// the two length units, the accept button, and `bad`, the message for a value that cannot be
/// taken.
struct RaceDialogTexts {
    std::string title, length, laps, minutes, reserve, tank, ok, bad;
};

/// The race dialog's values as texts, in the display units and with the user's decimal
/// separator: the race length (laps, or minutes when `minutes`), the reserve in laps and the
/// tank size ("" when unknown).
struct RaceDialogValues {
    std::string length;
    bool minutes = false;
    std::string reserve, tank;
};

/// What the race dialog's accept button leads to.
enum class RaceDialogOutcome {
    Accepted,  ///< stored: the dialog closes
    Refused,   ///< a value cannot be taken: show RaceDialogTexts::bad, the dialog stays open
};

/// The windows beside the main window. Each shows the texts it is given as they are when it
/// opens; one already open is brought to the front unless said otherwise.
class SideWindows {
public:
    virtual ~SideWindows() = default;

    /// The Admin window; opening selects its first option, and each option chosen calls
    /// Program::Option1_Click.
    virtual void ShowAdminWindow(const AdminTexts& texts) = 0;
    /// The debug window, showing Program::Debug() as it changes.
    virtual void ShowDebugWindow(const std::string& title) = 0;
    virtual void ShowAbout(const AboutTexts& texts) = 0;
    /// The two address dialogs of the Conexio menu, with the stored values; their accept button
    /// calls Program::IntroPortAccept or IntroIpAccept. One already open keeps what was typed.
    virtual void ShowIntroPort(const net::IntroTexts& texts, const std::string& port) = 0;
    virtual void ShowIntroIP(const net::IntroTexts& texts, const std::string& ip,
                             const std::string& port) = 0;
    /// A message with a stop icon, an OK button and the application's title: two lines.
    /// The scan goes on behind it.
    virtual void ShowMessage(const std::string& line1, const std::string& line2) = 0;
    /// The window telling how to open the web dashboard, or why it is not served; it replaces
    /// one that is open.
    virtual void ShowDashboardWindow(const DashboardWindowTexts& texts) = 0;
    virtual void CloseDashboardWindow() = 0;
    /// A file chooser for a recording to replay, titled `title`; the file chosen is played
    /// through Program::StartReplay, and nothing happens when none is.
    virtual void ChooseRecording(const std::string& title) = 0;
    /// Two file choosers, titled `title`: a recording, then the file to write it to, as a CSV
    /// file or as the MoTeC CSV layout (the file type named `motecCsv`); they call
    /// Program::ExportRecording, and nothing happens when either is cancelled.
    virtual void ChooseExport(const std::string& title, const std::string& motecCsv) = 0;
    /// The Laps window showing Program::Laps(); its "Export CSV..." button asks for a file name
    /// and calls Program::ExportLaps(path). One already open is brought to the front.
    virtual void ShowLapsWindow() = 0;
    /// Program::Laps() changed (at most once a tick): an open Laps window redraws it.
    virtual void LapsChanged() = 0;
    /// The race dialog with the stored values as texts; its accept button calls
    /// Program::RaceDialogAccept(typed).
    virtual void ShowRaceDialog(const RaceDialogTexts& texts, const RaceDialogValues& values) = 0;
};

/// Decodes the picture files the panel shows.
class PictureDecoder {
public:
    virtual ~PictureDecoder() = default;

    /// Decodes the picture in path and shows it in element e; false when the file is missing,
    /// empty, truncated or not a picture. Never shows a message.
    virtual bool DecodePicture(panel::Element e, const std::string& path) = 0;
};

/// A whole front end, as Program::Main takes it.
class FrontEnd : public MainWindow, public SideWindows, public PictureDecoder {};

}  // namespace kerbview::app
