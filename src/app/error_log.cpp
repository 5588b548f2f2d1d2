// SPDX-License-Identifier: MIT
#include "app/error_log.h"

namespace kerbview::app {

void ErrorLog::Report(const core::ErrorReport& report, bool debugEnabled) {
    if (debugEnabled) m_debug.SetLabel(21, core::ErrorReporter::DebugLine(report.procedure));
    Write(report.procedure + ": " + report.message);
}

void ErrorLog::Notice(std::string_view text) { Write(std::string(text)); }

void ErrorLog::Write(const std::string& line) {
    if (line == m_last) {
        ++m_repeats;
        return;
    }
    if (m_repeats > 0) {
        const std::string repeated = "(the line before repeated " + std::to_string(m_repeats) +
                                     (m_repeats == 1 ? " more time)" : " more times)");
        m_out << "Kerbview: " << repeated << '\n';
        m_debug.AppendLog(repeated);
    }
    m_last = line;
    m_repeats = 0;
    m_out << "Kerbview: " << line << std::endl;
    m_debug.AppendLog(line);
}

}  // namespace kerbview::app
