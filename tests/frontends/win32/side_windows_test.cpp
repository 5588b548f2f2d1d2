// SPDX-License-Identifier: MIT
#include "frontends/win32/side_windows.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "app/app_fixture.h"
#include "frontends/win32/laps_window.h"
#include "frontends/win32/wide_text.h"

namespace kerbview::win32 {
namespace {

// Under Wine without a window manager, every top-level window destroyed waits 2 s for one.
// This program's windows are left to Wine instead (its X11 driver's Managed option, read when
// the first window is made): the side windows' behaviour is the same, and the tests take a
// second instead of a minute. On Windows nothing is written.
const bool kUnmanagedUnderWine = [] {
    if (::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr) {
        return false;
    }
    const wchar_t* key = L"Software\\Wine\\AppDefaults\\win32_frontend_tests.exe\\X11 Driver";
    return ::RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Managed", REG_SZ, L"N", 4) == ERROR_SUCCESS;
}();

/// A started program, a plain main window as the side windows' owner, and the side windows.
/// Windows are found as a user sees them: by their titles and their controls.
class SideWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig.Start());
        main = ::CreateWindowExW(0, L"Static", L"Main", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300,
                                 nullptr, nullptr, nullptr, nullptr);
        ::ShowWindow(main, SW_SHOWNOACTIVATE);
        sides.SetOwner(main);
    }
    void TearDown() override {
        sides.CloseAll();
        ::DestroyWindow(main);
    }

    /// A key pressed in control, and what the message loop would run then, keys through
    /// PreTranslate first.
    void Press(HWND control, WPARAM key) {
        ::PostMessageW(control, WM_KEYDOWN, key, 1);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (sides.PreTranslate(msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    /// The open windows of this thread with this title.
    static std::vector<HWND> Titled(const std::string& title) {
        std::pair<const std::string*, std::vector<HWND>> search{&title, {}};
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND hwnd, LPARAM arg) {
                auto& [wanted, found] = *reinterpret_cast<decltype(search)*>(arg);
                if (::IsWindowVisible(hwnd) && Text(hwnd) == *wanted) found.push_back(hwnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.second;
    }
    static std::vector<HWND> Controls(HWND window, const wchar_t* windowClass) {
        std::vector<HWND> found;
        HWND c = nullptr;
        while ((c = ::FindWindowExW(window, c, windowClass, nullptr))) found.push_back(c);
        return found;
    }
    static std::string Text(HWND control) {
        wchar_t text[256] = {};
        ::GetWindowTextW(control, text, 256);
        return Narrow(text);
    }
    static std::string Cell(HWND list, int row, int column) {
        wchar_t text[256] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 256;
        ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&item));
        return Narrow(text);
    }
    /// Whether a static control is large enough for its text in its font.
    static bool HoldsItsText(HWND label) {
        const std::wstring text = Wide(Text(label));
        const HDC dc = ::GetDC(label);
        const HGDIOBJ old =
            ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)));
        RECT need{0, 0, 1, 0};
        ::DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_NOPREFIX);
        ::SelectObject(dc, old);
        ::ReleaseDC(label, dc);
        RECT inside{};
        ::GetClientRect(label, &inside);
        return need.right <= inside.right && need.bottom <= inside.bottom;
    }
    static RECT Frame(HWND window) {
        RECT r{};
        ::GetWindowRect(window, &r);
        return r;
    }
    static bool Overlap(HWND a, HWND b) {
        RECT overlap{};
        const RECT ra = Frame(a), rb = Frame(b);
        return ::IntersectRect(&overlap, &ra, &rb) != FALSE;
    }

    app::testing::ProgramRig rig{""};
    SideWindowSet sides{rig.program, ::GetModuleHandleW(nullptr)};
    HWND main = nullptr;
};

// Enter in a dialog accepts it; a rejected text keeps the dialog open, with what was typed,
// behind a stop message that it waits for; an accepted one closes it and switches the role.
TEST_F(SideWindowsTest, AddressDialogsActOnTheOutcomeOfTheirInput) {
    struct Row {
        bool client;
        const char* ip;
        const char* port;
        bool rejected;
        core::Role role;
    };
    const Row rows[] = {
        {false, "", "70000", true, core::Role::None},
        {false, "", "1002", false, core::Role::Server},
        {true, "192.168.1.2", "1003", true, core::Role::Server},
        {true, "010.000.000.001", "1004", false, core::Role::Client},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.ip) + " " + row.port);
        const net::IntroTexts texts = rig.program.Captions().AddressDialog(row.client);
        const auto open = [&] {
            row.client ? sides.ShowIntroIP(texts, "192.168.000.002", "1001")
                       : sides.ShowIntroPort(texts, "1001");
        };
        open();
        ASSERT_EQ(Titled(texts.title).size(), 1u);
        const HWND dialog = Titled(texts.title).front();
        const std::vector<HWND> edits = Controls(dialog, L"Edit");
        ASSERT_EQ(edits.size(), row.client ? 2u : 1u);
        ::SetWindowTextW(edits.back(), Wide(row.port).c_str());
        if (row.client) ::SetWindowTextW(edits.front(), Wide(row.ip).c_str());
        Press(edits.back(), VK_RETURN);

        EXPECT_EQ(rig.program.Settings().TipusConexio, row.role);
        const std::vector<HWND> stops = Titled("Kerbview");
        ASSERT_EQ(stops.size(), row.rejected ? 1u : 0u);
        if (!row.rejected) {
            EXPECT_TRUE(Titled(texts.title).empty());
            continue;
        }
        EXPECT_EQ(::GetWindow(stops.front(), GW_OWNER), dialog);
        EXPECT_FALSE(::IsWindowEnabled(dialog));
        // Escape closes the stop message, which gives the dialog back.
        Press(Controls(stops.front(), L"Button").front(), VK_ESCAPE);
        EXPECT_TRUE(::IsWindowEnabled(dialog));
        open();  // again while open: in front, with what was typed
        EXPECT_EQ(Text(edits.back()), row.port);
        ::SendMessageW(dialog, WM_CLOSE, 0, 0);
    }
}

// A fault repeated every scan shows one box; another text, or the same after its box was
// closed, opens one more.
TEST_F(SideWindowsTest, MessagesOfTheSameTextDoNotStack) {
    sides.ShowMessage("Imposible abrir el proceso", "Acceso denegado");
    sides.ShowMessage("Imposible abrir el proceso", "Acceso denegado");
    ASSERT_EQ(Titled("Kerbview").size(), 1u);
    const HWND first = Titled("Kerbview").front();
    EXPECT_EQ(::GetWindow(first, GW_OWNER), main);
    sides.ShowMessage("El puerto introducido no es valido", "");
    EXPECT_EQ(Titled("Kerbview").size(), 2u);
    ::SendMessageW(first, WM_COMMAND, IDOK, 0);
    sides.ShowMessage("El puerto introducido no es valido", "");
    EXPECT_EQ(Titled("Kerbview").size(), 1u);
    for (HWND box : Titled("Kerbview")) ::SendMessageW(box, WM_CLOSE, 0, 0);
    sides.ShowMessage("El puerto introducido no es valido", "");
    EXPECT_EQ(Titled("Kerbview").size(), 1u);
}

// Opening selects the first option, which counts as choosing it; each option chosen sets the
// driver slot mode; the end of the program closes every side window.
TEST_F(SideWindowsTest, AdminOptionsChooseTheDriverSlotMode) {
    rig.program.Option1_Click(2);
    sides.ShowAdminWindow(app::Presenter::Admin());
    EXPECT_EQ(rig.program.DriverSelectMode(), 0);
    const HWND admin = Titled(app::Presenter::Admin().title).front();
    const std::vector<HWND> buttons = Controls(admin, L"Button");
    ASSERT_GE(buttons.size(), 3u);
    ::SendMessageW(buttons[1], BM_CLICK, 0, 0);
    EXPECT_EQ(rig.program.DriverSelectMode(), 1);
    EXPECT_EQ(::SendMessageW(buttons[0], BM_GETCHECK, 0, 0), BST_UNCHECKED);
    sides.ShowAbout(rig.program.Captions().About());
    sides.CloseAll();
    EXPECT_TRUE(Titled(app::Presenter::Admin().title).empty());
    EXPECT_TRUE(Titled(rig.program.Captions().About().title).empty());
}

// Each side window opens wholly on the main window's monitor's work area, beside the main
// window where there is room and the debug window clear of the Admin window, wherever the
// main window stands.
TEST_F(SideWindowsTest, SideWindowsOpenWhollyOnTheWorkAreaBesideTheMainWindow) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &info);
    const RECT work = info.rcWork;
    const POINT corners[] = {{work.left, work.top}, {work.right - 200, work.bottom - 100}};
    for (const POINT at : corners) {
        ::SetWindowPos(main, nullptr, at.x, at.y, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
        sides.ShowAdminWindow(app::Presenter::Admin());
        sides.ShowDebugWindow(app::Presenter::DebugWindowTitle());
        sides.ShowAbout(rig.program.Captions().About());
        sides.ShowLapsWindow();
        const HWND admin = Titled(app::Presenter::Admin().title).front();
        const HWND debug = Titled(app::Presenter::DebugWindowTitle()).front();
        const HWND about = Titled(rig.program.Captions().About().title).front();
        const HWND lapsWindow = Titled(rig.program.Laps().title).front();
        for (HWND w : {admin, debug, about, lapsWindow}) {
            // False: nothing of the frame is left once the work area is taken away.
            RECT r = Frame(w), off{};
            EXPECT_FALSE(::SubtractRect(&off, &r, &work)) << Text(w);
        }
        EXPECT_FALSE(Overlap(admin, main));
        EXPECT_FALSE(Overlap(debug, admin));
        EXPECT_FALSE(Overlap(lapsWindow, main));
        sides.CloseAll();
    }
}

// The Laps window shows a view's rows and figures whole at its first size, a newer view (one
// more lap, a figure known at last) once its revision moved, and hands on the file chosen for
// the export.
TEST_F(SideWindowsTest, LapsWindowShowsItsViewWholeFollowsItAndExports) {
    laps::LapsView view;
    view.title = "Vueltas";
    view.columns = {"Vuelta", "Tiempo", "Combustible usado (L)", "Combustible restante (L)"};
    view.rows = {{{"1", "1:42.305", "2,61", "57,39"}, false, false},
                 {{"2", "1:40.118", "2,44", "54,95"}, true, false},
                 {{"3", "1:58.920", "2,50", "52,45"}, false, true}};
    view.figures = {{"Consumo", "2,47 L/vuelta de 3 vueltas"}, {"Combustible a a\361adir", ""}};
    view.revision = 1;
    std::filesystem::path exported;
    LapsWindow window(view, "Exportar CSV...",
                      [&](const std::filesystem::path& csv) { exported = csv; });
    ASSERT_TRUE(window.Create(::GetModuleHandleW(nullptr), main, Wide(view.title)));
    window.Raise();
    const HWND list = Controls(window.Handle(), WC_LISTVIEWW).at(0);
    const std::vector<HWND> statics = Controls(window.Handle(), L"Static");
    ASSERT_EQ(statics.size(), 2u);
    const auto figures = [&] { return Text(statics[0]) + "|" + Text(statics[1]); };

    EXPECT_EQ(ListView_GetItemCount(list), 3);
    EXPECT_EQ(Cell(list, 1, 1), "1:40.118");
    EXPECT_EQ(figures(), "Consumo\r\nCombustible a a\361adir|2,47 L/vuelta de 3 vueltas\r\n");
    // Whole: every column and every row inside the table, which keeps clear of the button and
    // the figures.
    RECT inside{}, last{};
    ::GetClientRect(list, &inside);
    ListView_GetItemRect(list, 2, &last, LVIR_BOUNDS);  // the last row, all its columns
    EXPECT_LE(last.right, inside.right);
    EXPECT_LE(last.bottom, inside.bottom);
    const HWND button = Controls(window.Handle(), L"Button").front();
    EXPECT_FALSE(Overlap(list, button));
    EXPECT_FALSE(Overlap(list, statics[1]));
    for (HWND label : statics) EXPECT_TRUE(HoldsItsText(label)) << Text(label);

    view.rows.push_back({{"4", "1:41.002", "2,46", "49,99"}, false, false});
    view.figures[1].value = "12,4 L";
    ++view.revision;
    window.Sync(view, "Exportar CSV...");
    EXPECT_EQ(ListView_GetItemCount(list), 4);
    EXPECT_EQ(Cell(list, 3, 3), "49,99");
    EXPECT_EQ(figures(), "Consumo\r\nCombustible a a\361adir|2,47 L/vuelta de 3 vueltas\r\n12,4 L");

    // The export button's file chooser, answered from a timer inside its own message loop: the
    // name typed, without its extension, comes back as a .csv file.
    ::SetTimer(window.Handle(), 1, 200, [](HWND owner, UINT, UINT_PTR id, DWORD) {
        const HWND chooser = ::FindWindowW(L"#32770", nullptr);
        if (chooser == nullptr || ::GetWindow(chooser, GW_OWNER) != owner) return;
        ::KillTimer(owner, id);
        HWND name = ::GetDlgItem(chooser, 0x47C);  // the file name's combo box (edt1 inside)
        if (HWND edit = ::FindWindowExW(name, nullptr, L"Edit", nullptr)) name = edit;
        if (name == nullptr) name = ::GetDlgItem(chooser, 0x480);
        ::SetWindowTextW(name, L"C:\\vueltas");
        ::PostMessageW(chooser, WM_COMMAND, IDOK, 0);
    });
    ::SendMessageW(Controls(window.Handle(), L"Button").front(), BM_CLICK, 0, 0);
    EXPECT_EQ(exported, std::filesystem::path(L"C:\\vueltas.csv"));
}

// The race dialog hands what was typed, the unit chosen included, to the program; a refused
// value keeps the dialog open with it, behind the stop message.
TEST_F(SideWindowsTest, RaceDialogHandsWhatWasTypedToTheProgram) {
    const app::RaceDialogTexts texts{"Carrera", "Duraci\xF3n", "Vueltas", "Minutos",
                                     "Reserva", "Dep\xF3sito", "Aceptar", "Valor no v\xE1lido"};
    sides.ShowRaceDialog(texts, {"20", false, "1", "100"});
    ASSERT_EQ(Titled(texts.title).size(), 1u);
    const HWND dialog = Titled(texts.title).front();
    const std::vector<HWND> edits = Controls(dialog, L"Edit");
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_EQ(Text(edits[0]) + " " + Text(edits[1]) + " " + Text(edits[2]), "20 1 100");
    const std::vector<HWND> buttons = Controls(dialog, L"Button");
    ASSERT_EQ(buttons.size(), 3u);  // laps, minutes, accept
    ::SendMessageW(buttons[1], BM_CLICK, 0, 0);
    ::SetWindowTextW(edits[0], L"-5");
    Press(edits[0], VK_RETURN);
    // The stop message itself is the address dialogs' (pinned above).
    const std::vector<HWND> stops = Titled("Kerbview");
    ASSERT_EQ(stops.size(), 1u);
    ::SendMessageW(stops.front(), WM_COMMAND, IDOK, 0);
    sides.ShowRaceDialog(texts, {"20", false, "1", "100"});  // again: in front, as typed
    EXPECT_EQ(Text(edits[0]), "-5");
    EXPECT_EQ(::SendMessageW(buttons[1], BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SetWindowTextW(edits[0], L"45");
    ::SetWindowTextW(edits[2], L"80.5");
    Press(edits[0], VK_RETURN);
    EXPECT_TRUE(Titled(texts.title).empty());
    EXPECT_EQ(rig.program.Settings().RaceLength, 45);
    EXPECT_TRUE(rig.program.Settings().RaceLengthMinutes);
    EXPECT_EQ(rig.program.Settings().RaceTankSize, 80.5);
}

// LapsChanged shows the program's laps view as it is now: here its title, columns and export
// button in another language.
TEST_F(SideWindowsTest, LapsChangedShowsTheProgramsLapsAgain) {
    sides.ShowLapsWindow();
    ASSERT_EQ(Titled(rig.program.Laps().title).size(), 1u);
    const HWND window = Titled(rig.program.Laps().title).front();
    const HWND header = ListView_GetHeader(Controls(window, WC_LISTVIEWW).front());
    const auto firstColumn = [&] {
        wchar_t text[64] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        ::SendMessageW(header, HDM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return Narrow(text);
    };
    const std::string spanish = rig.program.Laps().columns.at(0);
    EXPECT_EQ(firstColumn(), spanish);
    rig.program.MenuClick(panel::Menu::English);
    rig.program.Tick();
    ASSERT_NE(rig.program.Laps().columns.at(0), spanish);
    sides.LapsChanged();
    EXPECT_EQ(Text(window), rig.program.Laps().title);
    EXPECT_EQ(firstColumn(), rig.program.Laps().columns.at(0));
    EXPECT_EQ(Text(Controls(window, L"Button").front()), rig.program.Texts().TxtExportCsv);
}

}  // namespace
}  // namespace kerbview::win32
