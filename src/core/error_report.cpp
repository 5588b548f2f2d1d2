// SPDX-License-Identifier: MIT
#include "core/error_report.h"

#include <exception>

namespace kerbview::core {

void ErrorReporter::ReportError(std::string_view procName, std::string_view message) {
    m_errorProc = procName;
    if (m_sink) m_sink(ErrorReport{std::string(procName), std::string(message)});
}

void ErrorReporter::ReportCurrentException(std::string_view procName) {
    std::string message = "unknown error";
    if (const std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& e) {
            message = e.what();
        } catch (...) {
        }
    }
    ReportError(procName, message);
}

}  // namespace kerbview::core
