// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace kerbview::qt {

/// Asks the desktop to open address (its "open" action); showMode 1 is a normal window and is
/// the only mode the desktop services offer. Returns whether the desktop accepted; callers
/// ignore it. Never shows a message when no browser is available.
bool OpenURL(const std::string& address, int showMode);

}  // namespace kerbview::qt
