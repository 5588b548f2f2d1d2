// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

namespace kerbview::win32 {

/// A message-only window (no frame, never shown) of class className, registered by the first
/// call with procedure, with owner in GWLP_USERDATA for the procedure to find. It carries the
/// timers and socket notices of an object that has no window of its own. nullptr when it cannot
/// be made; GetLastError then says why.
HWND CreateMessageOnlyWindow(const wchar_t* className, WNDPROC procedure, void* owner);

}  // namespace kerbview::win32
