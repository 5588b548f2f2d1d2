// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <vector>

#include "app/child_process.h"
#include "app/command_line.h"
#include "app/settings_folder.h"

namespace kerbview::app {

/// What main settles before the toolkit starts.
struct Startup {
    /// Set when the program is to end at once with this status (--help, --version, an export, a
    /// wrong command line, a command that could not be launched).
    std::optional<int> exitStatus;
    CommandLine options;
    SettingsFolder settings;
    /// The launched command; null without --launch.
    std::unique_ptr<ChildProcess> child;
};

/// Reads the command line, answers --help and --version on out and a wrong command line on
/// err, runs an export (its problems on err), chooses and creates the settings folder, and with
/// --launch starts the command (reporting on err when it cannot be started). With --launch it
/// returns in a new process, while the process that called it stays behind to wait for the command
/// (see StartChild). Needs no display.
Startup Prepare(int argc, char** argv, std::ostream& out, std::ostream& err);

/// argv[0] and the arguments left to the toolkit, then a null pointer, for QApplication; the
/// pointers point into argv.
std::vector<char*> ToolkitArguments(const CommandLine& options, char** argv);

}  // namespace kerbview::app
