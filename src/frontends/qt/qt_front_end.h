// SPDX-License-Identifier: MIT
#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <memory>

#include "app/front_end.h"
#include "app/front_end_rules.h"
#include "frontends/qt/about_window.h"
#include "frontends/qt/admin_window.h"
#include "frontends/qt/dashboard_window.h"
#include "frontends/qt/debug_window.h"
#include "frontends/qt/intro_dialogs.h"
#include "frontends/qt/laps_window.h"
#include "frontends/qt/main_window.h"

namespace kerbview::qt {

/// Shows why the start stopped (reason in UTF-8, as on standard error) and the settings file
/// in a message box, and returns once it is closed; for a start from the desktop's menu, where
/// no one reads standard error. Needs no main window.
void ShowStartFailure(const std::string& reason, const std::string& settingsFile);

/// The Qt side of the program: owns the main window and performs what the Program asks of the
/// toolkit.
///
/// One refresh path: the panel and debug models call back at their first change after the
/// views caught up; that schedules one SyncViews on the event loop, which shows everything that
/// changed, whoever changed it (a tick, a click, a socket event, a dialog).
///
/// One rule for side windows (debug, Admin, about, the address dialogs, messages, the web
/// dashboard's window, the Laps window and the race dialog), kept by OpenSide: each is a child
/// window of the main window, deleted when closed, closed by the one shutdown signal that Quit
/// sends, and opened wholly on the main window's screen, beside or centred on it. A QPointer to
/// each tells whether it is still open.
class QtFrontEnd : public QObject, public app::FrontEnd {
    Q_OBJECT

public:
    explicit QtFrontEnd(app::Program& program);
    ~QtFrontEnd() override;
    QtFrontEnd(const QtFrontEnd&) = delete;
    QtFrontEnd& operator=(const QtFrontEnd&) = delete;

    Kerbview_Form* MainWindow() const { return m_main.get(); }
    qt::DebugWindow* DebugWindow() const { return m_debug.data(); }
    qt::AdminWindow* AdminWindow() const { return m_admin.data(); }
    qt::AboutWindow* AboutWindow() const { return m_about.data(); }
    QMessageBox* Message() const { return m_message.data(); }
    /// The web dashboard's address window.
    qt::DashboardWindow* DashboardWindow() const { return m_dashboardWindow.data(); }
    qt::LapsWindow* LapsWindow() const { return m_laps.data(); }
    qt::RaceDialog* RaceDialog() const { return m_race.data(); }

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

    // app::PictureDecoder
    bool DecodePicture(panel::Element e, const std::string& path) override;

signals:
    /// The program ends: every side window closes.
    void shutdown();

private:
    void ScheduleSync();
    /// Places a side window by the placement rule (panel::SideWindowPosition), in frame
    /// coordinates, on the screen of the main window.
    void Place(QWidget* window, panel::SidePlace place);
    /// Opens a side window by the one rule for them (see the class) and returns it: deleted when
    /// closed, closed at shutdown, placed, shown, and placed again once it is framed.
    template <class W>
    W* OpenSide(W* window, panel::SidePlace place);

    app::Program& m_program;
    std::unique_ptr<Kerbview_Form> m_main;
    QPointer<qt::DebugWindow> m_debug;
    QPointer<qt::AdminWindow> m_admin;
    QPointer<qt::AboutWindow> m_about;
    QPointer<Intro_Port> m_introPort;
    QPointer<Intro_IP> m_introIp;
    QPointer<QMessageBox> m_message;
    app::MessageBoxes m_messages;
    QPointer<qt::DashboardWindow> m_dashboardWindow;
    QPointer<QFileDialog> m_chooser;
    QPointer<qt::LapsWindow> m_laps;
    QPointer<qt::RaceDialog> m_race;
    int m_interval = 0;
};

}  // namespace kerbview::qt
