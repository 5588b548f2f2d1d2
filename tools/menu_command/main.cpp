// SPDX-License-Identifier: MIT
// send-menu-command: chooses menu items of a running Kerbview as a click would, for scripts and
// checks. Each argument is a WM_COMMAND identifier (40000 plus the item's place in the menu
// catalogue, see src/frontends/win32/menu_ids.h); they are posted in order to the top-level
// window titled "Kerbview" that has a menu bar (not a message box of the same title), waiting
// up to 10 s for it to appear. Exits 0 once every command is posted, 1 when there is no such
// window, 2 on a bad argument.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <vector>

namespace {

BOOL CALLBACK TakeMainWindow(HWND window, LPARAM found) {
    wchar_t title[16];
    if (::GetMenu(window) != nullptr && ::GetWindowTextW(window, title, 16) == 8 &&
        std::wcscmp(title, L"Kerbview") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindMainWindow() {
    HWND found = nullptr;
    const ULONGLONG end = ::GetTickCount64() + 10000;
    while (::EnumWindows(TakeMainWindow, reinterpret_cast<LPARAM>(&found)) && found == nullptr &&
           ::GetTickCount64() < end) {
        ::Sleep(100);
    }
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<WORD> commands;
    for (int i = 1; i < argc; ++i) {
        char* end = nullptr;
        const long id = std::strtol(argv[i], &end, 10);
        if (end == argv[i] || *end != '\0' || id <= 0 || id > 0xFFFF) {
            std::fprintf(stderr, "send-menu-command: not a command identifier: %s\n", argv[i]);
            return 2;
        }
        commands.push_back(static_cast<WORD>(id));
    }
    if (commands.empty()) {
        std::fprintf(stderr, "usage: send-menu-command ID...\n");
        return 2;
    }
    const HWND window = FindMainWindow();
    if (window == nullptr) {
        std::fprintf(stderr, "send-menu-command: no window titled Kerbview with a menu\n");
        return 1;
    }
    for (const WORD id : commands) {
        // A menu's WM_COMMAND: the item in the low word, 0 (a menu) in the high word.
        if (!::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0)) {
            std::fprintf(stderr, "send-menu-command: PostMessage failed (error %lu)\n",
                         ::GetLastError());
            return 1;
        }
    }
    return 0;
}
