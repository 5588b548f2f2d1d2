// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <memory>

#include "app/front_end.h"
#include "app/program.h"
#include "frontends/win32/main_window.h"
#include "frontends/win32/side_windows.h"
#include "frontends/win32/wic_pictures.h"

namespace kerbview::win32 {

/// The Win32 side of the program: owns the main window and the side windows and performs what
/// the Program asks of the toolkit.
///
/// One refresh path: the panel and debug models call back at their first change after the
/// views caught up; that posts one SyncViews to the message loop, which shows everything that
/// changed, whoever changed it (a tick, a click, a socket event, a dialog).
class Win32FrontEnd final : public app::FrontEnd {
public:
    Win32FrontEnd(app::Program& program, HINSTANCE instance);
    ~Win32FrontEnd() override;
    Win32FrontEnd(const Win32FrontEnd&) = delete;
    Win32FrontEnd& operator=(const Win32FrontEnd&) = delete;

    /// Null before CreateMainWindow and after the window is gone.
    Kerbview_Form* MainWindow() const { return m_main.get(); }
    SideWindowSet& SideWindows() { return m_side; }

    /// Shows every change of the panel model, the menus and the debug model.
    void SyncViews();

    // app::MainWindow
    void CreateMainWindow() override;
    void SetBackgroundColour(core::ColourNumber colour) override;
    panel::DesktopRect Desktop() override;
    double TwipsPerPixel() override;
    app::WindowSize MainWindowSize() override;
    float MainWindowLeft() override;
    float MainWindowTop() override;
    void MoveMainWindow(std::int32_t left, std::int32_t top) override;
    void ShowMainWindow() override;
    void CloseMainWindow() override;
    void Quit() override;
    void SetTimerInterval(int milliseconds) override;
    void SetTimerEnabled(bool enabled) override;

    // app::SideWindows, each handed to the side window set.
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

    // app::PictureDecoder
    bool DecodePicture(panel::Element e, const std::string& path) override;

private:
    app::Program& m_program;
    HINSTANCE m_instance;
    WicPictures m_pictures;
    SideWindowSet m_side;
    std::unique_ptr<Kerbview_Form> m_main;
    bool m_quit = false;
};

}  // namespace kerbview::win32
