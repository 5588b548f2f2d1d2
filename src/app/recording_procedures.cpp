// SPDX-License-Identifier: MIT
// The program's side of the stints' recordings: the apply procedure of [Recording] Enabled, the
// hold during a replay, and what the user is told when recording stops.
#include <sstream>

#include "app/export_command.h"
#include "app/program.h"
#include "core/number_rules.h"
#include "core/path_text.h"
#include "core/text_encoding.h"

namespace kerbview::app {

void Program::Canvia_Recording(bool store) {
    try {
        if (std::optional<RecordingFailure> failure =
                m_recorder.SetEnabled(m_settings.RecordingEnabled, m_settings.RecordingLimitMB)) {
            RecordingStopped(*failure);
        }
        m_presenter.ShowRecording(m_recorder.Enabled());
        if (store) {
            Write("Canvia_Recording", "Enabled", core::TruthText(m_settings.RecordingEnabled),
                  core::kRecording);
        }
    } catch (...) {
        m_errors.ReportCurrentException("Canvia_Recording");
    }
}

void Program::HoldRecording(bool held) {
    try {
        if (std::optional<RecordingFailure> failure = m_recorder.SetHeld(held)) {
            RecordingStopped(*failure);
        }
    } catch (...) {
        m_errors.ReportCurrentException("HoldRecording");
    }
}

void Program::StintEnds() {
    if (std::optional<RecordingFailure> failure = m_recorder.EndStint()) {
        RecordingStopped(*failure);
    }
}

// The recorder has switched itself off: it says so once, and the next stint is not tried until
// the user switches recording on again. [Recording] Enabled stays as stored, so the next start
// records again (the disk may have room by then).
void Program::RecordingStopped(const RecordingFailure& failure) {
    m_presenter.ShowRecording(false);
    const std::string detail = core::PathToUtf8(failure.path) + ": " + failure.error.message();
    m_errorLog.Notice(Presenter::RecordingStoppedNotice(detail));
    if (m_frontEnd != nullptr) {
        m_frontEnd->ShowMessage(m_presenter.RecordingStoppedText(), core::Utf8ToCp1252(detail));
    }
}

// The command line's export, so the menu and kerbview --export write the same files and refuse
// the same things; its one-line reason goes to the message and to standard error.
bool Program::ExportRecording(const std::filesystem::path& recording,
                              const std::filesystem::path& out, bool motecCsv) {
    try {
        ExportRequest request;
        request.recording = core::PathToUtf8(recording);
        (motecCsv ? request.motecCsv : request.csv) = core::PathToUtf8(out);
        std::ostringstream err;
        if (RunExport(request, err) == 0) return true;
        std::string reason = err.str();
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) {
            reason.pop_back();
        }
        m_errorLog.Notice("ExportRecording: " + reason);
        m_frontEnd->ShowMessage(m_texts.TxtReplayProblem, core::Utf8ToCp1252(reason));
    } catch (...) {
        m_errors.ReportCurrentException("ExportRecording");
    }
    return false;
}

}  // namespace kerbview::app
