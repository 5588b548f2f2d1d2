// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kerbview::app {

/// --screenshot INITIAL RESIZED [DELAY]: the panel saved at start and after a resize.
struct ScreenshotRequest {
    std::string initial;
    std::string resized;
    int delayMs = 300;
};

/// --export RECORDING with --csv OUT, --motec-csv OUT, --laps-csv OUT or several: a recording
/// written out in other formats, without a window.
struct ExportRequest {
    std::string recording;
    std::string csv;       ///< empty: no CSV file
    std::string motecCsv;  ///< empty: no MoTeC CSV file
    std::string lapsCsv;   ///< empty: no laps CSV file
};

/// What the command line asks for. Plain data; the parser never prints.
struct CommandLine {
    enum class Action { Run, Help, Version, Export, Error };
    Action action = Action::Run;
    /// For Error: one line saying what is wrong, without the program's name.
    std::string error;
    /// Positions in argv (1-based, as in main's argv) of the arguments left to the toolkit, such
    /// as Qt's own -platform or -style options.
    std::vector<int> toolkitArguments;
    std::optional<ScreenshotRequest> screenshot;
    std::optional<std::string> statsFile;
    /// For Export: the recording and the files to write.
    ExportRequest exportRequest;
    /// --error-dialog: a setting that stops the start is shown in a message box too (the
    /// desktop entry asks for it; started elsewhere nothing waits for a click).
    bool errorDialog = false;
    /// --replay FILE [--replay-speed F]: a recording played at start, at F (0.25 to 8) times its
    /// pace.
    std::optional<std::string> replay;
    double replaySpeed = 1;
    /// --launch: the command and its arguments, exactly as given; empty without --launch.
    std::vector<std::string> launch;
};

/// Reads the arguments after the program's name. Everything after --launch (and one "--"
/// right after it) is the command to launch, untouched. An unknown long option, a missing
/// value or --launch without a command is an Error; single-dash and other arguments are left
/// to the toolkit. The first --help or --version wins over whatever follows it. --export needs
/// --csv, --motec-csv or --laps-csv (and they need it), and runs alone: with --launch or
/// --screenshot it is an Error.
CommandLine ParseCommandLine(const std::vector<std::string_view>& arguments);

/// The --help text: usage, options, exit statuses and the settings file in use.
std::string HelpText(const std::string& settingsFile, bool besideExecutable);

/// The --version text: "kerbview VERSION" and the licence line.
std::string VersionText();

}  // namespace kerbview::app
