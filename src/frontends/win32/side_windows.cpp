// SPDX-License-Identifier: MIT
#include "frontends/win32/side_windows.h"

#include <commdlg.h>

#include <algorithm>
#include <filesystem>

#include "app/program.h"
#include "frontends/win32/about_window.h"
#include "frontends/win32/admin_window.h"
#include "frontends/win32/dashboard_window.h"
#include "frontends/win32/debug_window.h"
#include "frontends/win32/intro_dialog.h"
#include "frontends/win32/laps_window.h"
#include "frontends/win32/message_window.h"
#include "frontends/win32/race_dialog.h"
#include "frontends/win32/wide_text.h"

namespace kerbview::win32 {
namespace {

template <class W>
bool IsOpen(const std::unique_ptr<W>& window) {
    return window && window->Open();
}

RECT Union(const RECT& a, const RECT& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

// The system's chooser of an existing file, titled caption; empty when none was chosen.
std::filesystem::path ChooseExistingFile(HWND owner, const std::wstring& caption) {
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW choice{};
    choice.lStructSize = sizeof(choice);
    choice.hwndOwner = owner;
    choice.lpstrFile = file.data();
    choice.nMaxFile = static_cast<DWORD>(file.size());
    choice.lpstrTitle = caption.c_str();
    choice.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!::GetOpenFileNameW(&choice)) return {};
    return std::filesystem::path(file.data());
}

}  // namespace

SideWindowSet::SideWindowSet(app::Program& program, HINSTANCE instance)
    : m_program(program), m_instance(instance) {}

SideWindowSet::~SideWindowSet() { CloseAll(); }

std::vector<SideWindow*> SideWindowSet::Windows() const {
    std::vector<SideWindow*> all;
    for (SideWindow* w : std::initializer_list<SideWindow*>{
             m_debug.get(), m_admin.get(), m_about.get(), m_introPort.get(), m_introIp.get(),
             m_dashboard.get(), m_laps.get(), m_race.get()}) {
        if (w != nullptr) all.push_back(w);
    }
    for (const auto& message : m_messageWindows) all.push_back(message.get());
    return all;
}

void SideWindowSet::CloseAll() {
    for (SideWindow* window : Windows()) window->Close();
    m_messageWindows.clear();
}

bool SideWindowSet::OpenSide(SideWindow& window, const std::string& title, panel::SidePlace place) {
    if (!window.Create(m_instance, m_owner, Wide(title))) return false;
    RECT anchor{};
    if (m_owner != nullptr) {
        ::GetWindowRect(m_owner, &anchor);
        // The debug window keeps clear of an open Admin window.
        if (&window == m_debug.get() && IsOpen(m_admin)) {
            RECT admin{};
            ::GetWindowRect(m_admin->Handle(), &admin);
            anchor = Union(anchor, admin);
        }
    } else {
        // No main window: centred on the primary monitor's work area.
        const HMONITOR primary = ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
        MONITORINFO info{};
        info.cbSize = sizeof info;
        ::GetMonitorInfoW(primary, &info);
        anchor = info.rcWork;
        place = panel::SidePlace::Centred;
    }
    PlaceFrame(window.Handle(), place, anchor, m_owner);
    window.Raise();
    return true;
}

void SideWindowSet::SyncDebug() {
    if (IsOpen(m_debug)) m_debug->Sync();
}

bool SideWindowSet::PreTranslate(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) {
        // Only keys need the dialog manager; mouse and other messages go their usual way.
        return false;
    }
    for (SideWindow* window : Windows()) {
        if (window->KeyboardMessage(msg)) return true;
    }
    return false;
}

void SideWindowSet::ShowAdminWindow(const app::AdminTexts& texts) {
    if (!IsOpen(m_admin)) {
        m_admin = std::make_unique<AdminWindow>(
            texts, [this](int index) { m_program.Option1_Click(index); });
        if (!OpenSide(*m_admin, texts.title, panel::SidePlace::Beside)) return;
    } else {
        m_admin->Raise();
    }
    m_admin->SelectFirst();
}

void SideWindowSet::ShowDebugWindow(const std::string& title) {
    if (!IsOpen(m_debug)) {
        m_debug = std::make_unique<DebugWindow>(m_program.Debug());
        if (!OpenSide(*m_debug, title, panel::SidePlace::Beside)) return;
    } else {
        m_debug->Raise();
    }
    m_debug->Sync();
}

// An open about window is brought to the front as it is; the next opening shows the texts it
// is given then.
void SideWindowSet::ShowAbout(const app::AboutTexts& texts) {
    if (IsOpen(m_about)) {
        m_about->Raise();
        return;
    }
    m_about = std::make_unique<AboutWindow>(texts);
    OpenSide(*m_about, texts.title, panel::SidePlace::Centred);
}

// A dialog already open is brought to the front with what was typed in it.
void SideWindowSet::ShowIntroPort(const net::IntroTexts& texts, const std::string& port) {
    if (IsOpen(m_introPort)) {
        m_introPort->Raise();
        return;
    }
    m_introPort = IntroDialog::Port(texts, port, [this](std::string_view, std::string_view text2) {
        return m_program.IntroPortAccept(text2);
    });
    OpenSide(*m_introPort, texts.title, panel::SidePlace::Centred);
}

void SideWindowSet::ShowIntroIP(const net::IntroTexts& texts, const std::string& ip,
                                const std::string& port) {
    if (IsOpen(m_introIp)) {
        m_introIp->Raise();
        return;
    }
    m_introIp =
        IntroDialog::Ip(texts, ip, port, [this](std::string_view text1, std::string_view text2) {
            return m_program.IntroIpAccept(text1, text2);
        });
    OpenSide(*m_introIp, texts.title, panel::SidePlace::Centred);
}

void SideWindowSet::ShowMessage(const std::string& line1, const std::string& line2) {
    // Boxes closed since the last message are let go.
    std::erase_if(m_messageWindows, [](const auto& box) { return !box->Open(); });
    if (m_messages.Show(line1, line2) == app::MessageBoxes::Action::Raise &&
        !m_messageWindows.empty()) {
        m_messageWindows.back()->Raise();
        return;
    }
    auto box = std::make_unique<MessageWindow>(m_messages.Text());
    MessageWindow* opened = box.get();
    // Only the box opened last counts: an older one closing leaves the newest one's text open.
    box->OnClosed([this, opened] {
        if (!m_messageWindows.empty() && m_messageWindows.back().get() == opened) {
            m_messages.Closed();
        }
    });
    m_messageWindows.push_back(std::move(box));
    if (!OpenSide(*opened, std::string("Kerbview"), panel::SidePlace::Centred)) {
        m_messages.Closed();
        m_messageWindows.pop_back();
        return;
    }
    ::MessageBeep(MB_ICONHAND);
}

void SideWindowSet::ShowDashboardWindow(const app::DashboardWindowTexts& texts) {
    CloseDashboardWindow();
    m_dashboard = std::make_unique<DashboardWindow>(texts);
    OpenSide(*m_dashboard, texts.title, panel::SidePlace::Centred);
}

void SideWindowSet::CloseDashboardWindow() {
    if (m_dashboard) m_dashboard->Close();
}

// The system's file chooser waits for the user in a message loop of its own. A menu click is no
// tick, so Timer1 keeps ticking in that loop and the replay or scan goes on; the main window, its
// owner, takes no click meanwhile.
void SideWindowSet::ChooseRecording(const std::string& title) {
    const std::filesystem::path file = ChooseExistingFile(m_owner, Wide(title));
    if (!file.empty()) m_program.StartReplay(file);
}

// As ChooseRecording: the system's choosers, a recording and then the file to write it to; the
// file type chosen (the second is MoTeC's layout) decides the layout.
void SideWindowSet::ChooseExport(const std::string& title, const std::string& motecCsv) {
    const std::wstring caption = Wide(title);
    const std::filesystem::path recording = ChooseExistingFile(m_owner, caption);
    if (recording.empty()) return;

    std::wstring filter = L"CSV (*.csv)";
    filter.push_back(L'\0');
    filter += L"*.csv";
    filter.push_back(L'\0');
    filter += Wide(motecCsv) + L" (*.csv)";
    filter.push_back(L'\0');
    filter += L"*.csv";
    filter.push_back(L'\0');
    std::vector<wchar_t> out(32768, L'\0');
    OPENFILENAMEW save{};
    save.lStructSize = sizeof(save);
    save.hwndOwner = m_owner;
    save.lpstrFilter = filter.c_str();
    save.nFilterIndex = 1;
    save.lpstrFile = out.data();
    save.nMaxFile = static_cast<DWORD>(out.size());
    save.lpstrTitle = caption.c_str();
    save.lpstrDefExt = L"csv";
    save.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!::GetSaveFileNameW(&save)) return;
    m_program.ExportRecording(recording, std::filesystem::path(out.data()), save.nFilterIndex == 2);
}

void SideWindowSet::ShowLapsWindow() {
    if (IsOpen(m_laps)) {
        m_laps->Raise();
        m_laps->Sync(m_program.Laps(), m_program.Texts().TxtExportCsv);
        return;
    }
    m_laps = std::make_unique<LapsWindow>(
        m_program.Laps(), m_program.Texts().TxtExportCsv,
        [this](const std::filesystem::path& csv) { m_program.ExportLaps(csv); });
    OpenSide(*m_laps, m_program.Laps().title, panel::SidePlace::Beside);
}

void SideWindowSet::LapsChanged() {
    if (IsOpen(m_laps)) m_laps->Sync(m_program.Laps(), m_program.Texts().TxtExportCsv);
}

// A dialog already open is brought to the front with what was typed in it.
void SideWindowSet::ShowRaceDialog(const app::RaceDialogTexts& texts,
                                   const app::RaceDialogValues& values) {
    if (IsOpen(m_race)) {
        m_race->Raise();
        return;
    }
    m_race =
        std::make_unique<RaceDialog>(texts, values, [this](const app::RaceDialogValues& typed) {
            return m_program.RaceDialogAccept(typed) == app::RaceDialogOutcome::Accepted;
        });
    OpenSide(*m_race, texts.title, panel::SidePlace::Centred);
}

}  // namespace kerbview::win32
