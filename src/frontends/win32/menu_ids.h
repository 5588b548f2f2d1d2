// SPDX-License-Identifier: MIT
#pragma once

#include "panel/panel_elements.h"

namespace kerbview::win32 {

/// The WM_COMMAND identifier of each menu item: a fixed base plus the item's place in the menu
/// catalogue, so that scripts and tests can send a menu's commands to the window.
inline constexpr int kMenuCommandBase = 40000;

constexpr int MenuCommand(panel::Menu item) { return kMenuCommandBase + static_cast<int>(item); }

/// The menu item of a WM_COMMAND identifier; false when it is none.
constexpr bool MenuOfCommand(int command, panel::Menu& item) {
    const int index = command - kMenuCommandBase;
    if (index < 0 || index >= static_cast<int>(panel::kMenuCount)) return false;
    item = static_cast<panel::Menu>(index);
    return true;
}

}  // namespace kerbview::win32
