// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace kerbview::telemetry {

/// A top-level window of the desktop: an X11 window id or a Win32 HWND value. 0 is no window.
using WindowId = std::uint64_t;

/// Finds the simulator's window and the process that owns it.
class WindowFinder {
public:
    virtual ~WindowFinder() = default;

    /// The first top-level window whose whole title equals `title`, letter case ignored, that
    /// has not been passed over; 0 when there is none or the desktop cannot be reached. Never
    /// throws for a missing desktop.
    virtual WindowId FindWindow(std::string_view title) = 0;

    /// From now on FindWindow skips `window` for as long as that window exists, and moves on to
    /// another window with the title: one whose process has ended, or holds nothing where the
    /// simulator keeps its telemetry, must not hide the simulator's own. A window that is gone
    /// already is not remembered. Never throws.
    virtual void PassOver(WindowId window) = 0;

    /// Id of the process that owns `window`; 0 when it is unknown or the window is gone.
    virtual std::uint32_t WindowProcessId(WindowId window) = 0;
};

/// The window finder of the platform this program is built for.
std::unique_ptr<WindowFinder> MakeWindowFinder();

}  // namespace kerbview::telemetry
