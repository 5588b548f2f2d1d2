// SPDX-License-Identifier: MIT
#include "app/command_line.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#ifndef KERBVIEW_VERSION
#error "KERBVIEW_VERSION must come from the build (the project's version)"
#endif

namespace kerbview::app {

namespace {

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
}

CommandLine Failed(std::string error) {
    CommandLine failed;
    failed.action = CommandLine::Action::Error;
    failed.error = std::move(error);
    return failed;
}

// The checks that need the whole line: --export and its outputs.
CommandLine Finished(CommandLine line) {
    const ExportRequest& request = line.exportRequest;
    const bool output =
        !request.csv.empty() || !request.motecCsv.empty() || !request.lapsCsv.empty();
    if (request.recording.empty()) {
        if (output) {
            return Failed(
                "options '--csv', '--motec-csv' and '--laps-csv' need '--export RECORDING'");
        }
        return line;
    }
    if (!output) {
        return Failed(
            "option '--export' needs '--csv FILE', '--motec-csv FILE' or '--laps-csv FILE'");
    }
    if (!line.launch.empty() || line.screenshot || line.replay) {
        return Failed(
            "option '--export' cannot be used with '--launch', '--screenshot' or '--replay'");
    }
    line.action = CommandLine::Action::Export;
    return line;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string_view>& arguments) {
    CommandLine line;
    const std::size_t count = arguments.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view a = arguments[i];
        const auto argvPosition = static_cast<int>(i + 1);
        if (a == "-h" || a == "--help") {
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (a == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        }
        if (a == "--launch") {
            std::size_t first = i + 1;
            if (first < count && arguments[first] == "--") ++first;
            if (first == count) return Failed("option '--launch' needs a command to run");
            line.launch.assign(arguments.begin() + static_cast<std::ptrdiff_t>(first),
                               arguments.end());
            return Finished(std::move(line));
        }
        if (a == "--screenshot") {
            if (i + 2 >= count) return Failed("option '--screenshot' needs two file names");
            ScreenshotRequest shot{std::string(arguments[i + 1]), std::string(arguments[i + 2])};
            i += 2;
            if (i + 1 < count && AllDigits(arguments[i + 1])) {
                const std::string_view delay = arguments[++i];
                const auto [end, error] =
                    std::from_chars(delay.data(), delay.data() + delay.size(), shot.delayMs);
                if (error != std::errc() || end != delay.data() + delay.size()) {
                    return Failed("delay of '--screenshot' out of range: " + std::string(delay));
                }
            }
            line.screenshot = std::move(shot);
            continue;
        }
        if (a == "--stats-file") {
            if (i + 1 >= count) return Failed("option '--stats-file' needs a file name");
            line.statsFile = std::string(arguments[++i]);
            continue;
        }
        if (a == "--export" || a == "--csv" || a == "--motec-csv" || a == "--laps-csv") {
            if (i + 1 >= count) return Failed("option '" + std::string(a) + "' needs a file name");
            ExportRequest& request = line.exportRequest;
            std::string& name = a == "--export"      ? request.recording
                                : a == "--csv"       ? request.csv
                                : a == "--motec-csv" ? request.motecCsv
                                                     : request.lapsCsv;
            name = std::string(arguments[++i]);
            if (name.empty()) return Failed("option '" + std::string(a) + "' needs a file name");
            continue;
        }
        if (a == "--replay") {
            if (i + 1 >= count) return Failed("option '--replay' needs a file name");
            line.replay = std::string(arguments[++i]);
            continue;
        }
        if (a == "--replay-speed") {
            const std::string_view f = i + 1 < count ? arguments[++i] : std::string_view();
            // Digits and one point only: the parse must not follow the user's locale.
            double speed = 0;
            const auto [end, error] =
                std::from_chars(f.data(), f.data() + f.size(), speed, std::chars_format::fixed);
            if (f.empty() || error != std::errc() || end != f.data() + f.size() ||
                !(speed >= 0.25 && speed <= 8)) {
                return Failed("option '--replay-speed' needs a factor from 0.25 to 8");
            }
            line.replaySpeed = speed;
            continue;
        }
        if (a == "--error-dialog") {
            line.errorDialog = true;
            continue;
        }
        if (a == "--") {
            for (std::size_t rest = i + 1; rest < count; ++rest) {
                line.toolkitArguments.push_back(static_cast<int>(rest + 1));
            }
            return Finished(std::move(line));
        }
        if (a.size() > 2 && a.substr(0, 2) == "--") {
            return Failed("unrecognized option '" + std::string(a) + "'");
        }
        line.toolkitArguments.push_back(argvPosition);
    }
    return Finished(std::move(line));
}

std::string HelpText(const std::string& settingsFile, bool besideExecutable) {
    return std::string(
               "Usage: kerbview [OPTION]...\n"
               "  or:  kerbview [OPTION]... --launch [--] COMMAND [ARGUMENT]...\n"
               "  or:  kerbview --export RECORDING [--csv FILE] [--motec-csv FILE]\n"
               "                [--laps-csv FILE]\n"
               "Companion display for the racing simulator RACE 07: reads the running\n"
               "simulator's telemetry and shows it on one panel, or sends it to a second copy.\n"
               "\n"
               "  --launch [--] COMMAND [ARGUMENT]...\n"
               "                  run COMMAND (the simulator, or Steam's %command%) as a child\n"
               "                  of Kerbview, so that Kerbview may read the simulator's memory\n"
               "                  where kernel.yama.ptrace_scope is 1; Kerbview ends when\n"
               "                  COMMAND ends, with its status; closing the window first, or\n"
               "                  TERM, INT or HUP (which close it), leave COMMAND running and\n"
               "                  waited for\n"
               "  --screenshot INITIAL RESIZED [DELAY]\n"
               "                  save the panel as PNG files at its initial size and after a\n"
               "                  resize, DELAY milliseconds (300) after start, then end\n"
               "  --error-dialog  when a setting stops the start, show why in a message box\n"
               "                  too, and end once it is closed (the desktop menu's entry\n"
               "                  starts Kerbview so)\n"
               "  --export RECORDING\n"
               "                  write the recorded stint RECORDING out, without a window, as\n"
               "  --csv FILE      a CSV file: one row per scan, every value with its unit\n"
               "  --motec-csv FILE\n"
               "                  a MoTeC CSV file for MoTeC i2: the stint's facts, then the\n"
               "                  values at a fixed rate (one row or more per scan)\n"
               "  --laps-csv FILE a CSV file of the stint's laps: one row per lap, with its\n"
               "                  time, fuel, position, pit flags, tyres, brakes and engine\n"
               "                  Each FILE is written under FILE.part and renamed when whole.\n"
               "  --replay FILE   play the recording in FILE in place of the simulator, at its\n"
               "                  recorded pace (no role or server role)\n"
               "  --replay-speed F\n"
               "                  play it F times as fast, F from 0.25 to 8 (1)\n"
               "  --stats-file PATH\n"
               "                  rewrite PATH once a second with the network packets sent and\n"
               "                  presented so far\n"
               "  -h, --help      show this help and end\n"
               "      --version   show the version and end\n"
               "Qt's own options (such as -platform or -style) are passed on to Qt.\n"
               "\n"
               "Exit status: 0 normally, 1 when a setting stopped the start, 2 for a wrong\n"
               "command line; with --launch, COMMAND's exit status (128 + N when signal N\n"
               "ended it), 127 when COMMAND was not found, 126 when it could not be run;\n"
               "with --export, 1 when the recording cannot be read or a FILE cannot be\n"
               "written (no FILE is left half written), 3 when a damaged block ends the\n"
               "recording (each FILE holds the stint up to it).\n"
               "\n"
               "Settings file: ") +
           settingsFile +
           (besideExecutable
                ? "\n  (beside the program: its folder is writable or already holds it)\n"
                : "\n  (in the user's configuration folder: the program's own folder is read-only "
                  "or the installed one)\n") +
           "Car pictures: the carskins folder and carskins.ini beside the settings file.\n";
}

std::string VersionText() { return "kerbview " KERBVIEW_VERSION "\nLicense: MIT\n"; }

}  // namespace kerbview::app
