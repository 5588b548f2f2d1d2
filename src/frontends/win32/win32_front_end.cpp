// SPDX-License-Identifier: MIT
#include "frontends/win32/win32_front_end.h"

#include "panel/window_placement.h"

namespace kerbview::win32 {

Win32FrontEnd::Win32FrontEnd(app::Program& program, HINSTANCE instance)
    : m_program(program), m_instance(instance), m_side(program, instance) {}

Win32FrontEnd::~Win32FrontEnd() {
    m_program.Panel().SetChangeListener({});
    m_program.Debug().SetChangeListener({});
}

void Win32FrontEnd::CreateMainWindow() {
    m_main =
        std::make_unique<Kerbview_Form>(m_program, m_instance, m_pictures, [this] { SyncViews(); });
    m_side.SetOwner(m_main->Handle());
    m_program.Panel().SetChangeListener([this] {
        if (m_main) m_main->PostSync();
    });
    m_program.Debug().SetChangeListener([this] {
        if (m_main) m_main->PostSync();
    });
}

void Win32FrontEnd::SyncViews() {
    if (!m_main || m_main->Handle() == nullptr) return;
    // Marked first: a change made while the views catch up posts the next round.
    m_program.Panel().MarkSynced();
    m_program.Debug().MarkSynced();
    m_main->View().Sync();
    m_main->SyncMenus();
    m_side.SyncDebug();
}

void Win32FrontEnd::SetBackgroundColour(core::ColourNumber colour) {
    m_main->SetBackgroundColour(colour);
}

panel::DesktopRect Win32FrontEnd::Desktop() {
    const panel::DesktopRect pixels{
        ::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
        ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const double tpp = TwipsPerPixel();
    return panel::VirtualDesktopUnits(pixels, tpp, tpp);
}

double Win32FrontEnd::TwipsPerPixel() { return m_main->TwipsPerPixel(); }

app::WindowSize Win32FrontEnd::MainWindowSize() { return m_main->Size(); }

float Win32FrontEnd::MainWindowLeft() { return static_cast<float>(m_main->NormalPosition().first); }

float Win32FrontEnd::MainWindowTop() { return static_cast<float>(m_main->NormalPosition().second); }

void Win32FrontEnd::MoveMainWindow(std::int32_t left, std::int32_t top) { m_main->Move(left, top); }

void Win32FrontEnd::ShowMainWindow() {
    SyncViews();
    m_main->Show();
}

void Win32FrontEnd::CloseMainWindow() {
    if (m_main) m_main->Close();
}

void Win32FrontEnd::Quit() {
    if (m_quit) return;
    m_quit = true;
    m_side.CloseAll();
    if (m_main && m_main->Handle() != nullptr) {
        m_main->Destroy();  // its WM_DESTROY ends the message loop
    } else {
        ::PostQuitMessage(0);
    }
}

void Win32FrontEnd::SetTimerInterval(int milliseconds) { m_main->SetTimerInterval(milliseconds); }
void Win32FrontEnd::SetTimerEnabled(bool enabled) { m_main->SetTimerEnabled(enabled); }

void Win32FrontEnd::ShowAdminWindow(const app::AdminTexts& texts) { m_side.ShowAdminWindow(texts); }
void Win32FrontEnd::ShowDebugWindow(const std::string& title) { m_side.ShowDebugWindow(title); }
void Win32FrontEnd::ShowAbout(const app::AboutTexts& texts) { m_side.ShowAbout(texts); }
void Win32FrontEnd::ShowIntroPort(const net::IntroTexts& texts, const std::string& port) {
    m_side.ShowIntroPort(texts, port);
}
void Win32FrontEnd::ShowIntroIP(const net::IntroTexts& texts, const std::string& ip,
                                const std::string& port) {
    m_side.ShowIntroIP(texts, ip, port);
}
void Win32FrontEnd::ShowMessage(const std::string& line1, const std::string& line2) {
    m_side.ShowMessage(line1, line2);
}
void Win32FrontEnd::ShowDashboardWindow(const app::DashboardWindowTexts& texts) {
    m_side.ShowDashboardWindow(texts);
}
void Win32FrontEnd::CloseDashboardWindow() { m_side.CloseDashboardWindow(); }
void Win32FrontEnd::ChooseRecording(const std::string& title) { m_side.ChooseRecording(title); }
void Win32FrontEnd::ChooseExport(const std::string& title, const std::string& motecCsv) {
    m_side.ChooseExport(title, motecCsv);
}
void Win32FrontEnd::ShowLapsWindow() { m_side.ShowLapsWindow(); }
void Win32FrontEnd::LapsChanged() { m_side.LapsChanged(); }
void Win32FrontEnd::ShowRaceDialog(const app::RaceDialogTexts& texts,
                                   const app::RaceDialogValues& values) {
    m_side.ShowRaceDialog(texts, values);
}

bool Win32FrontEnd::DecodePicture(panel::Element, const std::string& path) {
    return m_main->View().DecodePicture(path);
}

}  // namespace kerbview::win32
