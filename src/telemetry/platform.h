// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "telemetry/process_memory.h"
#include "telemetry/window_finder.h"

namespace kerbview::telemetry {

/// The two platform services the simulator link needs.
struct Platform {
    std::unique_ptr<WindowFinder> windows;
    std::unique_ptr<ProcessMemory> memory;
};

/// The platform services of the system this program is built for (X11 and /proc on Linux,
/// Win32 on Windows).
inline Platform MakePlatform() { return Platform{MakeWindowFinder(), MakeProcessMemory()}; }

}  // namespace kerbview::telemetry
