// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace kerbview::qt {

/// Address of the community web site opened by the logos of the main and about windows.
inline constexpr std::string_view kCommunityWebSite = "https://www.kerbview.org/";

/// Asks the desktop to open address (its "open" action); showMode 1 is a normal window and is
/// the only mode the desktop services offer. Returns whether the desktop accepted; callers
/// ignore it. Never shows a message when no browser is available.
bool OpenURL(const std::string& address, int showMode);

}  // namespace kerbview::qt
