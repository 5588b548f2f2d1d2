// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "memory_writer.h"

namespace kerbview::standin {

/// What a command line asks of the program after any memory write is done.
enum class CommandKind { Written, Pause, Resume, Close, Open, Quit, Nothing, Invalid };

struct CommandResult {
    CommandKind kind = CommandKind::Nothing;
    /// For Invalid: why; otherwise empty.
    std::string error;
};

/// Carries out one command line. Writes (addresses in decimal or 0x hex):
///   text ADDR TEXT        TEXT (rest of the line, verbatim) and one character 0
///   bytes ADDR HH ...     raw bytes in hex
///   byte ADDR N | int32 ADDR N | single ADDR X | double ADDR X
/// Others: pause, resume, close, open, quit. Blank lines and lines starting with # do nothing.
CommandResult RunCommand(std::string_view line, MemoryWriter& memory);

/// The line the stand-in answers a command with, once it has been carried out: "ok VERB",
/// "error WHY", or nothing (empty) for a blank or comment line.
std::string AnswerTo(std::string_view line, const CommandResult& result);

}  // namespace kerbview::standin
