// SPDX-License-Identifier: MIT
// The stand-in simulator for Windows: a window titled "RACE 07" and the telemetry at the
// simulator's addresses, set by the same commands on standard input as sim-standin (text,
// bytes, byte, int32, single, double, close, open, quit; pause and resume are accepted and
// change nothing, as no session runs here). Each command is answered with "ok VERB" or
// "error WHY"; "ready" comes first, and the end of the input quits.
//
// The telemetry lies in the program's own image, as a 32-bit program's data section would: the
// program is linked at image base 0x400000 without address randomisation, and a large
// zero-filled block of its data covers every address of the memory map. (64-bit Wine maps its
// own files where VirtualAlloc would be asked for those addresses.)
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "commands.h"
#include "memory_writer.h"
#include "telemetry/memory_map.h"

namespace {

using kerbview::standin::CommandKind;

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

HWND OpenRaceWindow(HINSTANCE instance) {
    const HWND window = ::CreateWindowExW(0, kClassName, L"RACE 07", WS_OVERLAPPEDWINDOW, 40, 40,
                                          360, 120, nullptr, nullptr, instance, nullptr);
    if (window != nullptr) ::ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

LRESULT CALLBACK RaceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        const HDC dc = ::BeginPaint(window, &paint);
        RECT area;
        ::GetClientRect(window, &area);
        ::DrawTextW(dc, L"Stand-in RACE 07: telemetry set from standard input", -1, &area,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE);
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

}  // namespace

int main() {
    using namespace kerbview;
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
    standin::MemoryWriter writer(ImageBlock() + (start - blockStart), start,
                                 static_cast<std::size_t>(end - start));

    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = RaceWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    HWND race = ::RegisterClassW(&windowClass) != 0 ? OpenRaceWindow(instance) : nullptr;
    if (race == nullptr) {
        std::fprintf(stderr, "sim-standin-win32: cannot create the window (error %lu)\n",
                     ::GetLastError());
        return 2;
    }

    // The thread's message queue exists before the reader posts to it.
    MSG message;
    ::PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    std::thread(ForwardInput, ::GetCurrentThreadId()).detach();
    Say("ready");

    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == kInputEndedMessage) break;
        if (message.hwnd == nullptr && message.message == kCommandMessage) {
            const std::unique_ptr<std::string> line(reinterpret_cast<std::string*>(message.lParam));
            const standin::CommandResult result = standin::RunCommand(*line, writer);
            std::string answer = standin::AnswerTo(*line, result);
            if (race != nullptr && !::IsWindow(race)) race = nullptr;  // closed by the user
            if (result.kind == CommandKind::Close && race != nullptr) {
                ::DestroyWindow(race);
                race = nullptr;
            } else if (result.kind == CommandKind::Open && race == nullptr) {
                race = OpenRaceWindow(instance);
                if (race == nullptr) answer = "error cannot create the window";
            }
            if (!answer.empty()) Say(answer);
            if (result.kind == CommandKind::Quit) break;
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    if (race != nullptr) ::DestroyWindow(race);
    // The input thread may still wait for a line that never comes.
    std::fflush(stdout);
    ::ExitProcess(0);
}
