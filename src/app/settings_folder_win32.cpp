// SPDX-License-Identifier: MIT
// Windows keeps the settings beside the executable, as the program always has there.
#include <windows.h>

#include <string>

#include "app/settings_folder.h"

namespace kerbview::app {

SettingsFolderFacts ReadSettingsFolderFacts() {
    SettingsFolderFacts facts;
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size()) {
        path.resize(path.size() * 2);
    }
    path.resize(length);
    facts.executableFolder = std::filesystem::path(path).parent_path();
    facts.executableFolderWritable = true;
    return facts;
}

}  // namespace kerbview::app
