// SPDX-License-Identifier: MIT
#include "record/recording.h"

#include <fstream>
#include <sstream>
#include <utility>

namespace kerbview::record {

class BlockEncoder {};
class BlockDecoder {};

RecordingWriter::RecordingWriter(std::unique_ptr<core::WritableFile> file, StintFacts)
    : m_file(std::move(file)) {}
RecordingWriter::~RecordingWriter() = default;
RecordingWriter::RecordingWriter(RecordingWriter&&) noexcept = default;
RecordingWriter& RecordingWriter::operator=(RecordingWriter&&) noexcept = default;

bool RecordingWriter::Append(std::uint32_t, const telemetry::Snapshot&) { return !m_error; }
bool RecordingWriter::Finish() { return !m_error; }
bool RecordingWriter::WriteBlock() { return !m_error; }

RecordingReader::RecordingReader(const std::filesystem::path& path)
    : RecordingReader(std::make_unique<std::ifstream>(path, std::ios::binary)) {}
RecordingReader::RecordingReader(std::unique_ptr<std::istream> in) : m_in(std::move(in)) {}
RecordingReader RecordingReader::FromBytes(std::string bytes) {
    return RecordingReader(std::make_unique<std::istringstream>(std::move(bytes)));
}
RecordingReader::~RecordingReader() = default;
RecordingReader::RecordingReader(RecordingReader&&) noexcept = default;
RecordingReader& RecordingReader::operator=(RecordingReader&&) noexcept = default;

bool RecordingReader::Ok() const { return m_ok; }
const StintFacts& RecordingReader::Facts() const { return m_facts; }
bool RecordingReader::Next(Sample&) { return false; }
ReadProblem RecordingReader::Problem() const { return m_problem; }
const std::string& RecordingReader::Detail() const { return m_detail; }
bool RecordingReader::CutShort() const { return m_cutShort; }
void RecordingReader::Stop(ReadProblem problem, std::string detail) {
    m_problem = problem;
    m_detail = std::move(detail);
    m_ended = true;
}
bool RecordingReader::ReadHeader() { return false; }
bool RecordingReader::ReadBlock() { return false; }

}  // namespace kerbview::record
