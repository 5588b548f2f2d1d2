// SPDX-License-Identifier: MIT
#include <pwd.h>
#include <unistd.h>
#include <cstdlib>
#include <system_error>

#include "app/settings_folder.h"

#ifndef KERBVIEW_INSTALL_BINDIR
#error "KERBVIEW_INSTALL_BINDIR must come from the build (the folder it installs the program in)"
#endif

namespace kerbview::app {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

SettingsFolderFacts ReadSettingsFolderFacts() {
    namespace fs = std::filesystem;
    SettingsFolderFacts facts;
    std::error_code error;
    facts.executableFolder = fs::read_symlink("/proc/self/exe", error).parent_path();
    facts.executableFolderWritable = ::access(facts.executableFolder.c_str(), W_OK) == 0;
    facts.executableFolderHoldsSettings =
        fs::is_regular_file(facts.executableFolder / "Kerbview.ini", error);
    facts.installedFolder =
        fs::weakly_canonical(KERBVIEW_INSTALL_BINDIR, error) == facts.executableFolder;
    facts.xdgConfigHome = Environment("XDG_CONFIG_HOME");
    facts.home = Environment("HOME");
    facts.xdgDataHome = Environment("XDG_DATA_HOME");
    if (facts.home.empty()) {
        if (const passwd* account = ::getpwuid(::getuid()); account != nullptr) {
            facts.home = account->pw_dir;
        }
    }
    return facts;
}

}  // namespace kerbview::app
