// SPDX-License-Identifier: MIT
#include "telemetry/window_finder.h"

#include <string>

#include <windows.h>
// windows.h maps FindWindow to FindWindowA; the interface method keeps its own name.
#undef FindWindow

namespace kerbview::telemetry {

namespace {

// FindWindowA matches the whole title without regard to letter case, with any window class.
class Win32WindowFinder final : public WindowFinder {
public:
    WindowId FindWindow(std::string_view title) override {
        const std::string text(title);
        return reinterpret_cast<WindowId>(::FindWindowA(nullptr, text.c_str()));
    }

    std::uint32_t WindowProcessId(WindowId window) override {
        if (window == 0) {
            return 0;
        }
        DWORD processId = 0;
        ::GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &processId);
        return processId;
    }
};

}  // namespace

std::unique_ptr<WindowFinder> MakeWindowFinder() { return std::make_unique<Win32WindowFinder>(); }

}  // namespace kerbview::telemetry
