// SPDX-License-Identifier: MIT
// The stand-in simulator for Windows: a window titled "RACE 07" and live telemetry at the
// simulator's addresses from the same race session as sim-standin (session_model.h), stepped
// every 50 ms, or every 5 ms with --track (every figure the panel shows changing each time, a
// car on track scanned at 10 ms). The same commands on standard input as sim-standin (text,
// bytes, byte, int32, single, double, pause, resume, close, open, quit) are answered with
// "ok VERB" or "error WHY"; "ready" comes first, and the end of the input quits. Written values
// stay only while the session is paused: a test pauses it first, as with sim-standin.
// --play FILE [--loop] plays a Kerbview recording instead of the session, as sim-standin does.
//
// The telemetry lies in the program's own image, as a 32-bit program's data section would: the
// program is linked at image base 0x400000 without address randomisation, and a large
// zero-filled block of its data covers every address of the memory map. (64-bit Wine maps its
// own files where VirtualAlloc would be asked for those addresses.)
#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "commands.h"
#include "memory_writer.h"
#include "recording_player.h"
#include "session_model.h"
#include "telemetry/memory_map.h"

namespace {

using kerbview::standin::CommandKind;
using Clock = std::chrono::steady_clock;

constexpr wchar_t kClassName[] = L"KerbviewRace07Standin";
constexpr UINT kCommandMessage = WM_APP + 1;  // lParam: a std::string* with one input line
constexpr UINT kInputEndedMessage = WM_APP + 2;

// Static storage inside the image; zero bytes take no room in the file.
constexpr std::size_t kBlockSize = std::size_t{16} << 20;
unsigned char* ImageBlock() {
    alignas(4096) static unsigned char block[kBlockSize];
    return block;
}

void Say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

// The running session, its memory block and its window, owned by main and reached by the
// window procedure through the window's user data.
struct Standin {
    kerbview::standin::MemoryWriter writer;
    kerbview::standin::SessionModel session;
    bool track = false;
    // The recording played instead of the session, when one is.
    std::optional<kerbview::standin::RecordingPlayer> recording;
    bool paused = false;
    HWND race = nullptr;
    Clock::time_point started = Clock::now();
    Clock::time_point stepped = started;
    Clock::time_point shown = started - std::chrono::seconds(1);

    // Steps the session by the time since the last step and publishes it, unless paused; the
    // read-out is for people and follows at most 20 times a second.
    void Tick() {
        const Clock::time_point now = Clock::now();
        if (recording && !paused) {
            recording->Advance(std::chrono::duration<double, std::milli>(now - stepped).count(),
                               writer);
        } else if (!paused) {
            session.Step(std::chrono::duration<double>(now - stepped).count());
            if (track) {
                // From the clock, not from a count of ticks: a late tick still moves every figure.
                const auto ms =
                    std::chrono::duration_cast<std::chrono::milliseconds>(now - started).count();
                session.SetTrackPhase(static_cast<int>(ms / 5));
            }
            session.Publish(writer);
        }
        stepped = now;
        if (race != nullptr && now - shown >= std::chrono::milliseconds(50)) {
            shown = now;
            ::InvalidateRect(race, nullptr, TRUE);
        }
    }

    std::wstring Readout() const {
        wchar_t text[512];
        std::swprintf(text, std::size(text),
                      L"%hs   lap %d   P%d%ls\n%.0f km/h   gear %d   %.0f rpm\n"
                      L"throttle %.0f%%   brake %.0f%%\nfuel %.1f l\nlast %.3f s   best %.3f s%ls",
                      session.TrackName().c_str(), session.PlayerLapCount() + 1,
                      session.PlayerPosition(), session.InPits() ? L"   PIT" : L"",
                      session.SpeedKmh(), session.Gear(), session.EngineRpm(),
                      session.Throttle() * 100.0, session.Brake() * 100.0, session.Fuel(),
                      static_cast<double>(session.LastLap()),
                      static_cast<double>(session.BestLap()), paused ? L"\n(paused)" : L"");
        return text;
    }
};

HWND OpenRaceWindow(HINSTANCE instance, Standin& standin) {
    const HWND window = ::CreateWindowExW(0, kClassName, L"RACE 07", WS_OVERLAPPEDWINDOW, 40, 40,
                                          380, 170, nullptr, nullptr, instance, &standin);
    if (window != nullptr) ::ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

LRESULT CALLBACK RaceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_PAINT) {
        const auto* standin =
            reinterpret_cast<const Standin*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        PAINTSTRUCT paint;
        const HDC dc = ::BeginPaint(window, &paint);
        RECT area;
        ::GetClientRect(window, &area);
        ::InflateRect(&area, -8, -8);
        if (standin != nullptr) {
            ::DrawTextW(dc, standin->Readout().c_str(), -1, &area, DT_LEFT | DT_TOP);
        }
        ::EndPaint(window, &paint);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Reads standard input line by line and hands each line to the window thread, in order.
void ForwardInput(DWORD windowThread) {
    char buffer[4096];
    std::string pending;
    while (std::fgets(buffer, sizeof buffer, stdin) != nullptr) {
        pending += buffer;
        if (pending.empty() || pending.back() != '\n') continue;
        ::PostThreadMessageW(windowThread, kCommandMessage, 0,
                             reinterpret_cast<LPARAM>(new std::string(std::move(pending))));
        pending.clear();
    }
    ::PostThreadMessageW(windowThread, kInputEndedMessage, 0, 0);
}

// Carries out one command line; false when it asks the program to end.
bool RunLine(const std::string& line, Standin& standin, HINSTANCE instance) {
    const kerbview::standin::CommandResult result =
        kerbview::standin::RunCommand(line, standin.writer);
    std::string answer = kerbview::standin::AnswerTo(line, result);
    if (standin.race != nullptr && !::IsWindow(standin.race)) standin.race = nullptr;  // closed
    switch (result.kind) {
        case CommandKind::Pause: standin.paused = true; break;
        case CommandKind::Resume: standin.paused = false; break;
        case CommandKind::Close:
            if (standin.race != nullptr) ::DestroyWindow(standin.race);
            standin.race = nullptr;
            break;
        case CommandKind::Open:
            if (standin.race == nullptr) standin.race = OpenRaceWindow(instance, standin);
            if (standin.race == nullptr) answer = "error cannot create the window";
            break;
        default: break;
    }
    if (!answer.empty()) Say(answer);
    return result.kind != CommandKind::Quit;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kerbview;
    bool track = false;
    bool loop = false;
    const char* play = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--track") == 0) {
            track = true;
        } else if (std::strcmp(argv[i], "--loop") == 0) {
            loop = true;
        } else if (std::strcmp(argv[i], "--play") == 0 && i + 1 < argc) {
            play = argv[++i];
        } else {
            std::fprintf(stderr, "usage: sim-standin-win32 [--track] [--play FILE [--loop]]\n");
            return 2;
        }
    }
    const telemetry::MemoryMap map = telemetry::LoadMemoryMap();
    // The track path's leading folders lie just before its address.
    const std::uint64_t start = map.Lowest() - 64;
    const std::uint64_t end = map.End();
    const auto blockStart = reinterpret_cast<std::uint64_t>(ImageBlock());
    if (start < blockStart || end > blockStart + kBlockSize) {
        std::fprintf(stderr,
                     "sim-standin-win32: the image block lies at 0x%llx to 0x%llx, not around the "
                     "telemetry at 0x%llx to 0x%llx (was the program moved from its image base?)\n",
                     static_cast<unsigned long long>(blockStart),
                     static_cast<unsigned long long>(blockStart + kBlockSize),
                     static_cast<unsigned long long>(start), static_cast<unsigned long long>(end));
        return 2;
    }
    Standin standin{standin::MemoryWriter(ImageBlock() + (start - blockStart), start,
                                          static_cast<std::size_t>(end - start)),
                    standin::SessionModel(), track, std::nullopt};
    if (play != nullptr) {
        standin.recording.emplace(play, loop);
        if (!standin.recording->Ok()) {
            std::fprintf(stderr, "sim-standin-win32: %s is no recording that can be played\n",
                         play);
            return 2;
        }
        // Published every 5 ms, as close to the recorded times as the timer goes.
        standin.track = true;
        standin.recording->Advance(0, standin.writer);
    } else {
        standin.session.Publish(standin.writer);
    }

    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = RaceWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    if (::RegisterClassW(&windowClass) != 0) standin.race = OpenRaceWindow(instance, standin);
    if (standin.race == nullptr) {
        std::fprintf(stderr, "sim-standin-win32: cannot create the window (error %lu)\n",
                     ::GetLastError());
        return 2;
    }

    // The thread's message queue exists before the reader posts to it.
    MSG message;
    ::PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    std::thread(ForwardInput, ::GetCurrentThreadId()).detach();
    Say("ready");

    // The session is stepped between messages, on this one thread, so that a command never
    // lands in the middle of a publication.
    const auto period = std::chrono::milliseconds(standin.track ? 5 : 50);
    // Windows waits in steps of its timer's resolution, 15.6 ms unless asked for finer ones.
    if (standin.track) ::timeBeginPeriod(1);
    Clock::time_point next = Clock::now() + period;
    for (bool running = true; running;) {
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now());
        if (wait.count() > 0) {
            ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(wait.count()), QS_ALLINPUT,
                                          MWMO_INPUTAVAILABLE);
        }
        while (running && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT ||
                (message.hwnd == nullptr && message.message == kInputEndedMessage)) {
                running = false;
            } else if (message.hwnd == nullptr && message.message == kCommandMessage) {
                const std::unique_ptr<std::string> line(
                    reinterpret_cast<std::string*>(message.lParam));
                running = RunLine(*line, standin, instance);
            } else {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
        if (Clock::now() >= next) {
            standin.Tick();
            // Late ticks are not made up for: the next one is at least a period away.
            next = std::max(next + period, Clock::now() + period);
        }
    }
    if (standin.race != nullptr) ::DestroyWindow(standin.race);
    // The input thread may still wait for a line that never comes.
    std::fflush(stdout);
    ::ExitProcess(0);
}
