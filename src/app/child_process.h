// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kerbview::app {

/// The launched command as the window process sees it (the launcher): it watches the command
/// end and hears the requests to close its window. It never collects the command's exit
/// status, which is the waiter's (see StartChild), and destroying it never ends the command.
class ChildProcess {
public:
    virtual ~ChildProcess() = default;

    /// A descriptor that turns readable once the command has ended, owned by this object; -1
    /// where the system offers none (then call Ended on a timer).
    virtual int EndDescriptor() const = 0;
    /// True once the command has ended. Never blocks.
    virtual bool Ended() = 0;
    /// A descriptor that turns readable when TERM, INT or HUP has reached this process, owned by
    /// this object: the window is to close, and the command is left running.
    virtual int CloseRequestDescriptor() const = 0;
    /// Empties CloseRequestDescriptor; true when a request was pending.
    virtual bool TakeCloseRequest() = 0;
};

/// Result of StartChild: a running command, or none and why.
struct ChildStart {
    std::unique_ptr<ChildProcess> child;
    /// When child is empty: why, in the system's words.
    std::string error;
    /// When child is empty: 127 when the command was not found, 126 when it could not be run.
    int exitStatus = 0;
};

/// Starts command[0], looked up in PATH when it holds no '/', with command as its argument list,
/// so that its exit status is never lost, whatever becomes of the window.
///
/// The calling process splits in two. It stays behind as a small waiter, without the toolkit,
/// and never returns from this call: it ends once the command has ended, with the command's
/// exit status as a shell gives it (its exit code, or 128 + the number of the signal that ended
/// it); when the window process ends first, by a crash or a lost display, the waiter adopts the
/// command and waits for it; TERM, INT and HUP sent to the waiter are passed on to the window
/// process as a request to close its window. StartChild returns in the new window process,
/// which starts the command as its own child, so that it is the command's ancestor and may read
/// its memory; when the command cannot be started the window process should end with the
/// status given, which the waiter then ends with.
///
/// The command inherits standard input, output and error, the environment and the signal mask
/// unchanged, and stays in this program's process group, so a terminal's Ctrl+C reaches it
/// too. Call it before the toolkit starts threads. Never throws for a command that cannot be
/// started.
ChildStart StartChild(const std::vector<std::string>& command);

}  // namespace kerbview::app
