// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "app/front_end_rules.h"

namespace kerbview::qt {

using app::kCommunityWebSite;

/// Asks the desktop to open address (its "open" action); showMode 1 is a normal window and is
/// the only mode the desktop services offer. Returns whether the desktop accepted; callers
/// ignore it. Never shows a message when no browser is available.
bool OpenURL(const std::string& address, int showMode);

}  // namespace kerbview::qt
