// SPDX-License-Identifier: MIT
#include "app/command_line.h"
#include "app/settings_folder.h"

#include <gtest/gtest.h>

#include <sstream>

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
        std::string exported = {};  // "recording csv motec-csv laps-csv", or empty
        std::string replay = {};    // "file speed", or empty
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
        {{"--export", "r.kvr", "--csv", "a.csv"}, Action::Export, {}, {}, "", "", "r.kvr a.csv  "},
        {{"--export", "r.kvr", "--laps-csv", "l.csv"}, Action::Export, {}, {}, "", "", "r.kvr   l.csv"},
        {{"--laps-csv", "l.csv"}, Action::Error, {}, {}, "", ""},
        {{"--motec-csv", "m.csv", "--export", "r.kvr", "-style", "x"}, Action::Export, {}, {5, 6}, "", "", "r.kvr  m.csv "},
        {{"--export", "r.kvr"}, Action::Error, {}, {}, "", ""},
        {{"--export", "r.kvr", "--motec-csv"}, Action::Error, {}, {}, "", ""},
        {{"--export", "r.kvr", "--csv", "a.csv", "--replay", "r.kvr"}, Action::Error, {}, {}, "", ""},
        // A speed outside 0.25 to 8, or written with a comma, is refused rather than clamped.
        {{"--replay", "a.rec"}, Action::Run, {}, {}, "", "", "", "a.rec 1"},
        {{"--replay-speed", "0.25", "--replay", "b.rec"}, Action::Run, {}, {}, "", "", "", "b.rec 0.25"},
        {{"--replay", "c.rec", "--replay-speed", "8"}, Action::Run, {}, {}, "", "", "", "c.rec 8"},
        {{"--replay", "c.rec", "--replay-speed", "8.5"}, Action::Error, {}, {}, "", ""},
        {{"--replay", "c.rec", "--replay-speed", "0.2"}, Action::Error, {}, {}, "", ""},
        {{"--replay", "c.rec", "--replay-speed", "1,5"}, Action::Error, {}, {}, "", ""},
        {{"--replay", "c.rec", "--replay-speed"}, Action::Error, {}, {}, "", ""},
        {{"--replay"}, Action::Error, {}, {}, "", ""},
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
        const ExportRequest& e = got.exportRequest;
        if (got.action != Action::Error) {
            EXPECT_EQ(c.exported.empty()
                          ? ""
                          : e.recording + " " + e.csv + " " + e.motecCsv + " " + e.lapsCsv,
                      c.exported)
                << where;
            std::ostringstream replay;
            if (got.replay) replay << *got.replay << " " << got.replaySpeed;
            EXPECT_EQ(replay.str(), c.replay) << where;
        }
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
