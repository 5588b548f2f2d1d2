// SPDX-License-Identifier: MIT
// winsock2.h before windows.h, then what builds on windows.h.
#include <winsock2.h>

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/front_end_rules.h"
#include "app/program.h"
#include "app/startup.h"
#include "core/path_text.h"
#include "core/settings.h"
#include "frontends/win32/dashboard_host.h"
#include "frontends/win32/side_windows.h"
#include "frontends/win32/wide_text.h"
#include "frontends/win32/win32_front_end.h"
#include "frontends/win32/winsock_socket.h"
#include "telemetry/platform.h"
#include "web/dashboard_server.h"

namespace {

using namespace kerbview;

std::string Utf8(const wchar_t* wide) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), length, nullptr, nullptr);
    utf8.pop_back();  // the terminating NUL
    return utf8;
}

// A program of the Windows subsystem has no console of its own: --help, --version and errors go
// to the console it was started from, unless its output is already redirected somewhere.
void UseParentConsole() {
    const auto unset = [](DWORD which) {
        const HANDLE handle = ::GetStdHandle(which);
        return handle == nullptr || handle == INVALID_HANDLE_VALUE ||
               ::GetFileType(handle) == FILE_TYPE_UNKNOWN;
    };
    const bool outUnset = unset(STD_OUTPUT_HANDLE);
    const bool errUnset = unset(STD_ERROR_HANDLE);
    if ((!outUnset && !errUnset) || !::AttachConsole(ATTACH_PARENT_PROCESS)) return;
    FILE* stream = nullptr;
    if (outUnset) ::freopen_s(&stream, "CONOUT$", "w", stdout);
    if (errUnset) ::freopen_s(&stream, "CONOUT$", "w", stderr);
    std::cout.clear();
    std::cerr.clear();
}

// The user's decimal separator: a comma in comma locales, a point otherwise.
char LocaleDecimalSeparator() {
    wchar_t separator[8] = {};
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) > 0 &&
        separator[0] == L',') {
        return ',';
    }
    return '.';
}

// Shows why the start stopped (as on standard error) and the settings file; for a start from
// a shortcut, where no one reads standard error.
void ShowStartFailure(const std::string& reason, const std::string& settingsFile) {
    const std::wstring text = win32::WideFromUtf8(reason + "\n\n" + settingsFile);
    ::MessageBoxW(nullptr, text.c_str(), L"Kerbview", MB_OK | MB_ICONERROR);
}

// Documentation aid: saves the panel, widens the window by half, lets the layout rescale the
// panel, saves it again and closes the window.
void SaveScreenshots(win32::Kerbview_Form& window, const std::wstring& initial,
                     const std::wstring& resized) {
    window.SaveSnapshot(initial);
    RECT r{};
    ::GetWindowRect(window.Handle(), &r);
    ::SetWindowPos(window.Handle(), nullptr, 0, 0, (r.right - r.left) * 3 / 2, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    window.SaveSnapshot(resized);
    window.Close();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    UseParentConsole();
    // The arguments as UTF-8, as the start-up reads them.
    int argc = 0;
    wchar_t** wideArgv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) arguments.push_back(Utf8(wideArgv[i]));
    ::LocalFree(wideArgv);
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);

    app::Startup startup = app::Prepare(argc, argv.data(), std::cout, std::cerr);
    if (startup.exitStatus) {
        std::cout.flush();
        return *startup.exitStatus;
    }
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    int status = 0;
    {
        // Everything is made here, in one go: the main window's two sockets and the web
        // dashboard on what this front end lends it, the program over them, and the Win32 side
        // that shows it. Destroyed in the reverse order.
        win32::WinsockSocket tcpServer;
        win32::WinsockSocket tcpClient;
        win32::DashboardHost dashboardHost;
        web::DashboardServer dashboard(dashboardHost);
        app::Program program(startup.settings.path, LocaleDecimalSeparator(),
                             telemetry::MakePlatform(), {tcpServer, tcpClient}, dashboard,
                             std::cerr, core::SystemClock(),
                             {startup.settings.recordings, nullptr, nullptr});
        win32::Win32FrontEnd frontEnd(program, instance);
        if (!program.Main(frontEnd)) {
            // A setting stopped the start; standard error says which, and with --error-dialog
            // a message box too.
            if (startup.options.errorDialog) {
                ShowStartFailure(program.StartFailure(),
                                 core::PathToUtf8(core::IniPathFor(startup.settings.path)));
            }
            status = 1;
        } else {
            win32::Kerbview_Form& window = *frontEnd.MainWindow();
            if (const auto& replay = startup.options.replay) {
                program.StartReplay(core::PathFromUtf8(*replay), startup.options.replaySpeed);
            }
            if (const auto& shot = startup.options.screenshot) {
                const std::wstring initial = win32::WideFromUtf8(shot->initial);
                const std::wstring resized = win32::WideFromUtf8(shot->resized);
                auto id = std::make_shared<UINT_PTR>(0);
                *id = window.Every(static_cast<UINT>(std::max(1, shot->delayMs)),
                                   [&window, id, initial, resized] {
                                       window.StopEvery(*id);
                                       SaveScreenshots(window, initial, resized);
                                   });
            }
            // Measurement aid: --stats-file rewrites the file once a second with the packets
            // sent and presented so far and the milliseconds since start.
            const auto start = std::chrono::steady_clock::now();
            if (const auto& stats = startup.options.statsFile) {
                window.Every(1000, [&program, start, path = core::PathFromUtf8(*stats)] {
                    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - start)
                                        .count();
                    app::WriteStatsFile(path, ms, program.PacketsSent(),
                                        program.PacketsPresented());
                });
            }
            // Launcher mode: the window closes when the launched command ends.
            if (app::ChildProcess* child = startup.child.get()) {
                window.Every(250, [child, &window, ended = false]() mutable {
                    if (!ended && child->Ended()) {
                        ended = true;
                        window.Close();
                    }
                });
            }
            MSG msg;
            BOOL got = 0;
            while ((got = ::GetMessageW(&msg, nullptr, 0, 0)) != 0 && got != -1) {
                if (frontEnd.SideWindows().PreTranslate(msg)) continue;
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }
    ::CoUninitialize();
    return status;
}
