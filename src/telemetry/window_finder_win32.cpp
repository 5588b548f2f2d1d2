// SPDX-License-Identifier: MIT
#include "telemetry/window_finder.h"

#include <algorithm>
#include <string>
#include <vector>

#include <windows.h>
// windows.h maps FindWindow to FindWindowA; the interface method keeps its own name.
#undef FindWindow

namespace kerbview::telemetry {

namespace {

// FindWindowExA matches the whole title without regard to letter case, with any window class,
// and goes on from a given window to the next one with the title.
class Win32WindowFinder final : public WindowFinder {
public:
    WindowId FindWindow(std::string_view title) override {
        // A handle value may be given to a new window once the old one is gone: a window stays
        // passed over only while it exists and belongs to the same process.
        std::erase_if(m_passedOver, [](const Passed& p) {
            return !::IsWindow(p.window) || ProcessOf(p.window) != p.processId;
        });
        const std::string text(title);
        HWND window = nullptr;
        while ((window = ::FindWindowExA(nullptr, window, nullptr, text.c_str())) != nullptr) {
            if (std::none_of(m_passedOver.begin(), m_passedOver.end(),
                             [window](const Passed& p) { return p.window == window; })) {
                break;
            }
        }
        return reinterpret_cast<WindowId>(window);
    }

    void PassOver(WindowId window) override {
        const auto handle = reinterpret_cast<HWND>(window);
        if (window != 0 && ::IsWindow(handle)) {
            m_passedOver.push_back({handle, ProcessOf(handle)});
        }
    }

    std::uint32_t WindowProcessId(WindowId window) override {
        return window == 0 ? 0 : ProcessOf(reinterpret_cast<HWND>(window));
    }

private:
    struct Passed {
        HWND window;
        DWORD processId;
    };

    static DWORD ProcessOf(HWND window) {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        return processId;
    }

    std::vector<Passed> m_passedOver;
};

}  // namespace

std::unique_ptr<WindowFinder> MakeWindowFinder() { return std::make_unique<Win32WindowFinder>(); }

}  // namespace kerbview::telemetry
