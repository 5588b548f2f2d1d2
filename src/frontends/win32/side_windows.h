// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "app/front_end.h"
#include "app/front_end_rules.h"

namespace kerbview::app {
class Program;
}

namespace kerbview::win32 {

class AboutWindow;
class AdminWindow;
class DashboardWindow;
class DebugWindow;
class IntroDialog;
class LapsWindow;
class MessageWindow;
class RaceDialog;
class SideWindow;

/// The side windows of the Win32 front end: debug, Admin, about, the two address dialogs,
/// messages, the web dashboard's window, the Laps window and the race dialog. One rule for all of
/// them: each is owned by the main window, closed by CloseAll when the program ends, opened wholly
/// on the work area of the main window's monitor, beside or centred on it, and brought to the front
/// when it is already open. None blocks: the scan goes on while they are open.
class SideWindowSet final : public app::SideWindows {
public:
    SideWindowSet(app::Program& program, HINSTANCE instance);
    /// Destroys every side window still open.
    ~SideWindowSet() override;
    SideWindowSet(const SideWindowSet&) = delete;
    SideWindowSet& operator=(const SideWindowSet&) = delete;

    /// Owner of every side window; its monitor places them.
    void SetOwner(HWND mainWindow) { m_owner = mainWindow; }
    /// The program ends (Quit).
    void CloseAll();
    /// Shows Program::Debug()'s changes in the debug window.
    void SyncDebug();
    /// Keyboard navigation of open side windows (IsDialogMessageW): true when msg was taken.
    bool PreTranslate(MSG& msg);

    // app::SideWindows
    void ShowAdminWindow(const app::AdminTexts& texts) override;
    void ShowDebugWindow(const std::string& title) override;
    void ShowAbout(const app::AboutTexts& texts) override;
    void ShowIntroPort(const net::IntroTexts& texts, const std::string& port) override;
    void ShowIntroIP(const net::IntroTexts& texts, const std::string& ip,
                     const std::string& port) override;
    void ShowMessage(const std::string& line1, const std::string& line2) override;
    void ShowDashboardWindow(const app::DashboardWindowTexts& texts) override;
    void CloseDashboardWindow() override;
    void ChooseRecording(const std::string& title) override;
    void ChooseExport(const std::string& title, const std::string& motecCsv) override;
    void ShowLapsWindow() override;
    void LapsChanged() override;
    void ShowRaceDialog(const app::RaceDialogTexts& texts,
                        const app::RaceDialogValues& values) override;

private:
    /// Creates window, places it against the main window (and, for the debug window, an open
    /// Admin window) and shows it. False when Windows refused to create it.
    bool OpenSide(SideWindow& window, const std::string& title, panel::SidePlace place);
    std::vector<SideWindow*> Windows() const;

    app::Program& m_program;
    HINSTANCE m_instance;
    HWND m_owner = nullptr;
    std::unique_ptr<DebugWindow> m_debug;
    std::unique_ptr<AdminWindow> m_admin;
    std::unique_ptr<AboutWindow> m_about;
    std::unique_ptr<IntroDialog> m_introPort;
    std::unique_ptr<IntroDialog> m_introIp;
    /// Every message box still open or not yet pruned; the last is the one opened last.
    std::vector<std::unique_ptr<MessageWindow>> m_messageWindows;
    app::MessageBoxes m_messages;
    std::unique_ptr<DashboardWindow> m_dashboard;
    std::unique_ptr<LapsWindow> m_laps;
    std::unique_ptr<RaceDialog> m_race;
};

}  // namespace kerbview::win32
