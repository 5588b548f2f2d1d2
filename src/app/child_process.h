// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kerbview::app {

/// A command this program started and must wait for (the launcher). Exit statuses are given
/// as a shell gives them: the command's exit code, or 128 + the number of the signal that
/// ended it. Destroying the object never ends the command.
class ChildProcess {
public:
    virtual ~ChildProcess() = default;

    /// A descriptor that turns readable once the command has ended, owned by this object; -1
    /// where the system offers none (then call Finished on a timer).
    virtual int EndDescriptor() const = 0;
    /// The exit status once the command has ended (it is reaped then); nothing while it runs.
    /// Never blocks.
    virtual std::optional<int> Finished() = 0;
    /// Waits until the command ends and returns its exit status.
    virtual int WaitFinished() = 0;
};

/// Result of StartChild: a running command, or none and why.
struct ChildStart {
    std::unique_ptr<ChildProcess> child;
    /// When child is empty: why, in the system's words.
    std::string error;
    /// When child is empty: 127 when the command was not found, 126 when it could not be run.
    int exitStatus = 0;
};

/// Starts command[0], looked up in PATH when it holds no '/', with command as its argument
/// list. It inherits standard input, output and error and the environment unchanged, and stays
/// in this program's process group, so a terminal's Ctrl+C reaches both. Call it before the
/// toolkit starts threads or changes signal handling. Never throws for a command that cannot
/// be started.
ChildStart StartChild(const std::vector<std::string>& command);

}  // namespace kerbview::app
