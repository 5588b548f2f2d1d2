// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kerbview::core {

/// One caught error: the procedure that reported it and what went wrong.
struct ErrorReport {
    std::string procedure;
    std::string message;
};

/// The single error reporter. A procedure with an error exit catches at its own boundary and
/// reports its own name together with the error's message; the rest of that procedure call is
/// then abandoned. Where a report is shown (standard error, the debug window) is the sink's
/// business: the reporter only carries it there.
class ErrorReporter {
public:
    using Sink = std::function<void(const ErrorReport&)>;

    /// Receives every report, with debugging on or off. May be empty.
    void SetSink(Sink sink) { m_sink = std::move(sink); }

    /// Stores procName in ErrorProc and hands the report to the sink.
    void ReportError(std::string_view procName, std::string_view message);
    /// Reports the exception being handled, with its text as the message. Only meaningful inside
    /// a catch block; every procedure boundary catches with `catch (...)` and calls this.
    void ReportCurrentException(std::string_view procName);

    /// Name of the procedure last reported.
    const std::string& ErrorProc() const { return m_errorProc; }

private:
    Sink m_sink;
    std::string m_errorProc;
};

}  // namespace kerbview::core
