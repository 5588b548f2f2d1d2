// SPDX-License-Identifier: MIT
#include "app/export_command.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "core/path_text.h"
#include "laps/lap_history.h"
#include "laps/laps_csv.h"
#include "record/export.h"
#include "record/recording.h"

namespace kerbview::app {
namespace {

namespace fs = std::filesystem;

// A file written under a temporary name beside it and given its own name only when whole;
// removed when not.
class OutputFile {
public:
    explicit OutputFile(const std::string& name)
        : m_name(name), m_path(core::PathFromUtf8(name)), m_part(m_path) {
        m_part += ".part";
        m_stream.open(m_part, std::ios::binary | std::ios::trunc);
        if (!m_stream) m_error = std::generic_category().message(errno);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() {
        if (m_done) return;
        m_stream.close();
        std::error_code ignored;
        fs::remove(m_part, ignored);
    }

    /// Empty while all is well; else why the file cannot be written.
    const std::string& Error() const { return m_error; }
    std::ostream& Stream() { return m_stream; }

    /// Closes the file and gives it its name. False with Error() set when it was not all
    /// written or cannot be renamed.
    bool Commit() {
        m_stream.close();
        if (!m_stream) {
            m_error = "cannot write it";
            return false;
        }
        std::error_code error;
        fs::rename(m_part, m_path, error);
        if (error) {
            m_error = error.message();
            return false;
        }
        m_done = true;
        return true;
    }

    const std::string& Name() const { return m_name; }

private:
    std::string m_name;
    fs::path m_path;
    fs::path m_part;
    std::ofstream m_stream;
    std::string m_error;
    bool m_done = false;
};

// True when the two names lead to one file (or would: a name not made yet is compared as
// written out in full).
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    const fs::path pa = fs::weakly_canonical(core::PathFromUtf8(a), error);
    if (error) return false;
    const fs::path pb = fs::weakly_canonical(core::PathFromUtf8(b), error);
    if (error) return false;
    return pa == pb || fs::equivalent(pa, pb, error);
}

std::string ReadFailure(const std::string& name, const record::RecordingReader& reader) {
    const std::string quoted = "'" + name + "'";
    switch (reader.Problem()) {
        case record::ReadProblem::CannotOpen:
            return "cannot open " + quoted + ": " + reader.Detail();
        case record::ReadProblem::NotARecording: return quoted + " is not a Kerbview recording";
        case record::ReadProblem::NewerVersion:
            return quoted + " was recorded by a newer Kerbview (format " + reader.Detail() +
                   "); update Kerbview to export it";
        case record::ReadProblem::DamagedBlock:
            if (reader.Detail() == "0") return quoted + ": its header is damaged";
            return quoted + ": block " + reader.Detail() + " is damaged";
        case record::ReadProblem::None: break;
    }
    return quoted + " ends before its header is complete";
}

std::string Seconds(std::uint32_t ms) {
    std::string text = std::to_string(ms / 1000) + ".";
    const std::string fraction = std::to_string(1000 + ms % 1000);
    return text + fraction.substr(1) + " s";
}

}  // namespace

int RunExport(const ExportRequest& request, std::ostream& err) {
    // An output that names the recording would replace what is being read.
    const std::pair<const char*, const std::string*> outputs[] = {
        {"--csv", &request.csv},
        {"--motec-csv", &request.motecCsv},
        {"--laps-csv", &request.lapsCsv}};
    for (const auto& [option, out] : outputs) {
        if (!out->empty() && SameFile(*out, request.recording)) {
            err << "kerbview: '" << *out << "' is the recording itself\n";
            return 2;
        }
    }
    for (std::size_t i = 0; i < std::size(outputs); ++i) {
        for (std::size_t j = i + 1; j < std::size(outputs); ++j) {
            const std::string& a = *outputs[i].second;
            const std::string& b = *outputs[j].second;
            if (!a.empty() && !b.empty() && SameFile(a, b)) {
                err << "kerbview: '" << outputs[i].first << "' and '" << outputs[j].first
                    << "' name the same file\n";
                return 2;
            }
        }
    }

    const fs::path path = core::PathFromUtf8(request.recording);
    record::RecordingReader first(path);
    if (!first.Ok()) {
        err << "kerbview: " << ReadFailure(request.recording, first) << "\n";
        return kExportFailed;
    }
    std::optional<OutputFile> csv;
    std::optional<OutputFile> motec;
    std::optional<OutputFile> lapsCsv;
    if (!request.csv.empty()) csv.emplace(request.csv);
    if (!request.motecCsv.empty()) motec.emplace(request.motecCsv);
    if (!request.lapsCsv.empty()) lapsCsv.emplace(request.lapsCsv);
    for (const std::optional<OutputFile>* out : {&csv, &motec, &lapsCsv}) {
        if (*out && !(*out)->Error().empty()) {
            err << "kerbview: cannot write '" << (*out)->Name() << "': " << (*out)->Error() << "\n";
            return kExportFailed;
        }
    }

    // The first pass writes the CSV file, feeds the lap history on the recording's own time and
    // learns what the MoTeC header needs; the second, over the same samples, writes the MoTeC
    // file.
    record::StintSurvey survey;
    laps::LapHistory history;
    const record::NextSample firstPass = [&first, &survey, &history](record::Sample& sample) {
        if (!first.Next(sample)) return false;
        survey.Add(sample);
        history.Take(sample.snapshot, sample.timeMs);
        return true;
    };
    if (csv) {
        record::ExportCsv(firstPass, csv->Stream());
    } else {
        record::Sample sample;
        while (firstPass(sample)) {
        }
    }
    if (motec) {
        record::RecordingReader second(path);
        if (!second.Ok()) {
            err << "kerbview: " << ReadFailure(request.recording, second) << "\n";
            return kExportFailed;
        }
        record::ExportMotecCsv(
            first.Facts(), survey,
            [&second](record::Sample& sample) { return second.Next(sample); }, motec->Stream());
    }
    if (lapsCsv) {
        // A lap that ended within the wait for its time is written too, without one.
        std::vector<laps::LapRow> rows = history.Rows();
        if (history.Pending()) rows.push_back(*history.Pending());
        laps::WriteLapsCsv(rows, lapsCsv->Stream());
    }
    for (std::optional<OutputFile>* out : {&csv, &motec, &lapsCsv}) {
        if (*out && !(*out)->Commit()) {
            err << "kerbview: cannot write '" << (*out)->Name() << "': " << (*out)->Error() << "\n";
            return kExportFailed;
        }
    }

    if (first.Problem() != record::ReadProblem::None) {
        err << "kerbview: " << ReadFailure(request.recording, first)
            << "; the export ends there, at " << Seconds(survey.LastMs()) << "\n";
        return kExportDamaged;
    }
    if (first.CutShort()) {
        err << "kerbview: '" << request.recording
            << "' was cut short while recording; exported up to " << Seconds(survey.LastMs())
            << "\n";
    }
    return 0;
}

}  // namespace kerbview::app
