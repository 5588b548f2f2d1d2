// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "core/error_report.h"
#include "panel/panel_model.h"

namespace kerbview::app {

/// Where caught errors and notices end up: a line on standard error, and a line in the debug
/// window's log; an error also sets the debug window's last-error label when debugging is on.
/// A line equal to the one before is not written again (a fault that repeats every scan would
/// flood both); when a different line follows, the number of repeats is written first.
class ErrorLog {
public:
    /// debug and out must outlive the log.
    ErrorLog(panel::DebugModel& debug, std::ostream& out) : m_debug(debug), m_out(out) {}

    /// The error reporter's sink. debugEnabled: the reporter's switch at the time of the report.
    void Report(const core::ErrorReport& report, bool debugEnabled);
    /// Something the user should know that is not a caught error (a port that cannot be opened,
    /// a client dropped). Text in UTF-8.
    void Notice(std::string_view text);

private:
    void Write(const std::string& line);

    panel::DebugModel& m_debug;
    std::ostream& m_out;
    std::string m_last;
    std::uint64_t m_repeats = 0;
};

}  // namespace kerbview::app
