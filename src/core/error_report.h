// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kerbview::core {

/// The single error reporter. A procedure with an error exit catches at its own boundary and
/// calls ReportError with its own name; the rest of that procedure call is then abandoned.
/// When debugging is on, the report line goes to the debug window's last-error label; otherwise
/// a caught error leaves no trace.
class ErrorReporter {
public:
    using Sink = std::function<void(const std::string& line)>;

    /// Application name used as the source of errors raised by the program itself.
    static constexpr std::string_view kSource = "Kerbview";

    void setDebugEnabled(bool enabled) { m_debugEnabled = enabled; }
    bool debugEnabled() const { return m_debugEnabled; }
    /// Where report lines go (the debug window's Label21). May be empty.
    void setSink(Sink sink) { m_sink = std::move(sink); }

    /// Stores the procedure name in ErrorProc and, when debugging is on, writes
    /// source + " has generated an error in the module " + procName to the sink.
    void ReportError(std::string_view procName, std::string_view source = kSource) {
        m_errorProc = procName;
        if (m_debugEnabled && m_sink) {
            m_sink(std::string(source) + " has generated an error in the module " +
                   std::string(procName));
        }
    }

    /// Name of the procedure last reported.
    const std::string& ErrorProc() const { return m_errorProc; }

private:
    bool m_debugEnabled = false;
    Sink m_sink;
    std::string m_errorProc;
};

}  // namespace kerbview::core
