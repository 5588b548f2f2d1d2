// SPDX-License-Identifier: MIT
#include "app/settings_folder.h"

#include <gtest/gtest.h>

namespace kerbview::app {
namespace {

TEST(SettingsFolder, BesideAWritableOrAlreadyUsedFolderElseInTheUsersConfigurationFolder) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps the settings beside the program; the choice is for Linux";
#endif
    struct Case {
        const char* what;
        bool writable, holdsFile, installed;
        const char* xdg;
        const char* home;
        const char* expected;
        bool beside;
    };
    const Case cases[] = {
        {"writable folder (portable copy)", true, false, false, "/x", "/h", "/opt/kv", true},
        {"read-only folder already holding the file", false, true, false, "/x", "/h", "/opt/kv",
         true},
        {"read-only folder without the file", false, false, false, "/x", "/h", "/x/kerbview",
         false},
        {"XDG_CONFIG_HOME unset", false, false, false, "", "/h", "/h/.config/kerbview", false},
        {"relative XDG_CONFIG_HOME is ignored", false, false, false, "cfg", "/h",
         "/h/.config/kerbview", false},
        {"installed folder, writable for root and holding a file root wrote", true, true, true, "",
         "/root", "/root/.config/kerbview", false},
        {"nowhere else to go", false, false, false, "", "", "/opt/kv", true},
    };
    for (const Case& c : cases) {
        const SettingsFolder got =
            ChooseSettingsFolder({"/opt/kv", c.writable, c.holdsFile, c.installed, c.xdg, c.home});
        EXPECT_EQ(got.path, std::filesystem::path(c.expected)) << c.what;
        EXPECT_EQ(got.besideExecutable, c.beside) << c.what;
    }
}

}  // namespace
}  // namespace kerbview::app
