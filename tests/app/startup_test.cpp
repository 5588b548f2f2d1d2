// SPDX-License-Identifier: MIT
#include "app/command_line.h"
#include "app/settings_folder.h"

#include <gtest/gtest.h>

namespace kerbview::app {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, KeepsTheLaunchedCommandWholeAndSeparatesToolkitArgumentsAndOptions) {
    struct Case {
        std::vector<std::string_view> args;
        Action action;
        std::vector<std::string> launch;
        std::vector<int> toolkit;
        std::string shot;  // "initial resized delay", or empty
        std::string stats;
    };
    // clang-format off
    const Case cases[] = {
        // The command after --launch is never read as options, not even as --help.
        {{"--launch", "--", "steam", "-applaunch", "--help"}, Action::Run, {"steam", "-applaunch", "--help"}, {}, "", ""},
        {{"--launch", "wine", "Race 07.exe"}, Action::Run, {"wine", "Race 07.exe"}, {}, "", ""},
        {{"-platform", "offscreen", "--stats-file", "s.txt", "--launch", "--", "sh"}, Action::Run, {"sh"}, {1, 2}, "", "s.txt"},
        {{"--screenshot", "a.png", "b.png", "50"}, Action::Run, {}, {}, "a.png b.png 50", ""},
        {{"--screenshot", "a.png", "b.png", "-style", "x"}, Action::Run, {}, {4, 5}, "a.png b.png 300", ""},
        {{"x", "--", "--version"}, Action::Run, {}, {1, 3}, "", ""},
        {{"--help", "--bogus"}, Action::Help, {}, {}, "", ""},
        {{"-style", "x", "--version"}, Action::Version, {}, {1, 2}, "", ""},
        {{"--launch", "--"}, Action::Error, {}, {}, "", ""},
        {{"--screenshot", "a.png"}, Action::Error, {}, {}, "", ""},
        {{"--screenshot", "a.png", "b.png", "99999999999"}, Action::Error, {}, {}, "", ""},
        {{"--bogus", "--launch", "sh"}, Action::Error, {}, {}, "", ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::string where;
        for (const std::string_view a : c.args) where.append(a).append(" ");
        const CommandLine got = ParseCommandLine(c.args);
        EXPECT_EQ(got.action, c.action) << where << got.error;
        EXPECT_EQ(got.action == Action::Error, !got.error.empty()) << where;
        EXPECT_EQ(got.launch, c.launch) << where;
        EXPECT_EQ(got.toolkitArguments, c.toolkit) << where;
        const auto& s = got.screenshot;
        EXPECT_EQ(s ? s->initial + " " + s->resized + " " + std::to_string(s->delayMs) : "", c.shot)
            << where;
        EXPECT_EQ(got.statsFile.value_or(""), c.stats) << where;
    }
}

TEST(SettingsFolder, BesideAWritableOrAlreadyUsedFolderElseInTheUsersConfigurationFolder) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps the settings beside the program; the choice is for Linux";
#endif
    struct Case {
        const char* what;
        bool writable, holdsFile, installed;
        const char *xdg, *home, *data;
        const char* expected;
        bool beside;
        const char* recordings;
    };
    // clang-format off
    const Case cases[] = {
        {"writable folder (portable copy)", true, false, false, "/x", "/h", "/d", "/opt/kv", true, "/opt/kv/recordings"},
        {"read-only folder already holding the file", false, true, false, "/x", "/h", "/d", "/opt/kv", true, "/opt/kv/recordings"},
        {"read-only folder without the file", false, false, false, "/x", "/h", "/d", "/x/kerbview", false, "/d/kerbview/recordings"},
        {"XDG_CONFIG_HOME unset", false, false, false, "", "/h", "", "/h/.config/kerbview", false, "/h/.local/share/kerbview/recordings"},
        {"relative XDG_CONFIG_HOME and XDG_DATA_HOME are ignored", false, false, false, "cfg", "/h", "dat", "/h/.config/kerbview", false, "/h/.local/share/kerbview/recordings"},
        {"installed folder, writable for root and holding a file root wrote", true, true, true, "", "/root", "", "/root/.config/kerbview", false, "/root/.local/share/kerbview/recordings"},
        {"configuration folder without a home", false, false, false, "/x", "", "", "/x/kerbview", false, "/x/kerbview/recordings"},
        {"nowhere else to go", false, false, false, "", "", "/d", "/opt/kv", true, "/opt/kv/recordings"},
    };
    // clang-format on
    for (const Case& c : cases) {
        const SettingsFolder got = ChooseSettingsFolder(
            {"/opt/kv", c.writable, c.holdsFile, c.installed, c.xdg, c.home, c.data});
        EXPECT_EQ(got.path, std::filesystem::path(c.expected)) << c.what;
        EXPECT_EQ(got.besideExecutable, c.beside) << c.what;
        EXPECT_EQ(got.recordings, std::filesystem::path(c.recordings)) << c.what;
    }
}

}  // namespace
}  // namespace kerbview::app
