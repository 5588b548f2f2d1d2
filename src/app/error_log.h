// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/error_report.h"
#include "panel/panel_model.h"

namespace kerbview::app {

/// Where caught errors, notices and the toolkit's own warnings end up: a line on standard error
/// ("Kerbview: <procedure>: <message>"), and a line in the debug window's log; an error also sets
/// the debug window's last-error label when debugging is on.
///
/// A fault that repeats (every scan, every packet, every request of an attacker) must not flood
/// either: lines that differ only in their numbers are one kind, and each kind is written at most
/// once a second. What is held back is counted: the next line of its kind written says how many
/// ("(and 41 more like it, not shown)"), and a kind that falls quiet has its last held line
/// written by Flush a second after the line before. At most kMaxKinds kinds are followed within
/// a second; lines of further kinds are only counted, and Flush says how many.
class ErrorLog {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t kMaxKinds = 32;

    /// debug and out must outlive the log; now is the clock the rate rule reads.
    ErrorLog(panel::DebugModel& debug, std::ostream& out,
             std::function<Clock::time_point()> now = Clock::now);
    /// Writes whatever is still held back.
    ~ErrorLog();
    ErrorLog(const ErrorLog&) = delete;
    ErrorLog& operator=(const ErrorLog&) = delete;

    /// The error reporter's sink. debugEnabled: the reporter's switch at the time of the report.
    void Report(const core::ErrorReport& report, bool debugEnabled);
    /// Something the user should know that is not a caught error (a port that cannot be opened,
    /// a client dropped, a warning of the toolkit). Text in UTF-8.
    void Notice(std::string_view text);
    /// Writes the last held line of every kind quiet for a second, and forgets quiet kinds. Call
    /// it about once a second, so that the end of a burst is written soon after it.
    void Flush();

private:
    struct Kind {
        Clock::time_point written;
        std::uint64_t held = 0;
        std::string heldLine;
        std::uint64_t order = 0;  // when the held line came, among all held lines
    };
    void Write(std::string line);
    void Flush(bool all);
    // Writes the held line of every quiet kind (every kind when all) and forgets quiet kinds.
    void Settle(Clock::time_point now, bool all);
    void Emit(const std::string& line, std::uint64_t notShown);

    panel::DebugModel& m_debug;
    std::ostream& m_out;
    std::function<Clock::time_point()> m_now;
    std::unordered_map<std::string, Kind> m_kinds;
    std::uint64_t m_otherHeld = 0;  // lines of kinds beyond kMaxKinds
    Clock::time_point m_otherWritten;
    std::uint64_t m_order = 0;
};

}  // namespace kerbview::app
