// SPDX-License-Identifier: MIT
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <cstdint>
#include <memory>

#include "app/program.h"
#include "panel/qt/panel_view.h"
#include "ui/qt/about_window.h"
#include "ui/qt/admin_window.h"
#include "ui/qt/debug_window.h"

class QAction;

namespace kerbview::app {

/// The main window Kerbview_Form: the panel, the menu bar built from the panel model's menus,
/// and the scan timer Timer1. Every handler forwards to the Program and then shows what changed.
class Kerbview_Form : public QMainWindow {
    Q_OBJECT

public:
    explicit Kerbview_Form(Program& program, QWidget* parent = nullptr);

    /// Shows every change of the panel model, the menus and the debug model.
    void SyncViews();
    /// The debug window, when one was created.
    void SetDebugWindow(ui::qt::DebugWindow* window) { m_debugWindow = window; }

    panel::qt::PanelView& View() { return *m_view; }
    QTimer& Timer1() { return m_timer; }
    QAction* MenuAction(panel::Menu m) const { return m_actions[static_cast<std::size_t>(m)]; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void SyncMenus();

    Program& m_program;
    panel::qt::PanelView* m_view;
    QTimer m_timer;
    std::array<QAction*, panel::kMenuCount> m_actions{};
    std::uint64_t m_menusSeen = 0;
    bool m_menusSynced = false;
    QPointer<ui::qt::DebugWindow> m_debugWindow;
    bool m_unloaded = false;
};

/// The Qt side of the program: owns the main window and the side windows and performs what
/// the Program asks of the toolkit.
class QtFrontEnd : public FrontEnd {
public:
    explicit QtFrontEnd(Program& program);
    ~QtFrontEnd() override;

    Kerbview_Form* MainWindow() const { return m_main.get(); }
    ui::qt::DebugWindow* DebugWindow() const { return m_debug.get(); }
    ui::qt::AdminWindow* AdminWindow() const { return m_admin.get(); }
    ui::qt::AboutWindow* AboutWindow() const { return m_about.data(); }

    void CreateMainWindow() override;
    void SetBackgroundColour(core::ColourNumber colour) override;
    panel::DesktopRect VirtualDesktopPixels() override;
    double TwipsPerPixelX() override;
    double TwipsPerPixelY() override;
    WindowSize MainWindowSize() override;
    void MoveMainWindow(std::int32_t left, std::int32_t top) override;
    float MainWindowLeft() override;
    float MainWindowTop() override;
    bool DecodePicture(panel::Element e, const std::string& path) override;
    void SetTimerInterval(int milliseconds) override;
    void SetTimerEnabled(bool enabled) override;
    void ShowMainWindow() override;
    void ShowAdminWindow() override;
    void ShowDebugWindow() override;
    void ShowAbout() override;
    void ShowMessage(const std::string& line1, const std::string& line2) override;
    void CloseMainWindow() override;
    void Quit() override;

private:
    Program& m_program;
    std::unique_ptr<Kerbview_Form> m_main;
    std::unique_ptr<ui::qt::DebugWindow> m_debug;
    std::unique_ptr<ui::qt::AdminWindow> m_admin;
    QPointer<ui::qt::AboutWindow> m_about;
    int m_interval = 0;
};

}  // namespace kerbview::app
