// SPDX-License-Identifier: MIT
#include "record/recording.h"

#include <cerrno>
#include <fstream>
#include <new>
#include <sstream>
#include <utility>

#include "record/block_codec.h"

namespace kerbview::record {

namespace {

/// The first bytes of every recording. The high byte catches a 7-bit transfer, the CR LF a
/// line-ending conversion, the ^Z a text-mode read on Windows.
constexpr std::string_view kMagic("\x89KVR\r\n\x1A\n", 8);
/// The longest facts a writer makes: four texts of kMaxTextBytes and the numbers.
constexpr std::uint32_t kMaxFactsBytes = 4 * (2 + kMaxTextBytes) + 2 + 2 + 8 + 4;

void PutText(std::string& out, const std::string& text) {
    const std::size_t length = std::min(text.size(), kMaxTextBytes);
    PutU16(out, static_cast<std::uint16_t>(length));
    out.append(text, 0, length);
}

/// The file header: magic, format version, the facts' length, the facts, and the CRC-32 of
/// everything after the magic.
std::string EncodeHeader(const StintFacts& facts) {
    std::string body;
    PutText(body, facts.programVersion);
    PutU16(body, static_cast<std::uint16_t>(facts.role));
    PutU16(body, static_cast<std::uint16_t>(facts.scanTime));
    PutText(body, facts.car);
    PutText(body, facts.track);
    PutText(body, facts.driver);
    PutU64(body, static_cast<std::uint64_t>(facts.startUnixSeconds));
    PutU32(body, static_cast<std::uint32_t>(facts.utcOffsetMinutes));

    std::string header(kMagic);
    PutU32(header, kFormatVersion);
    PutU32(header, static_cast<std::uint32_t>(body.size()));
    header += body;
    PutU32(header, Crc32(std::string_view(header).substr(kMagic.size())));
    return header;
}

/// Reads the facts back; false when they do not fill bytes exactly.
bool DecodeFacts(std::string_view bytes, StintFacts& facts) {
    std::size_t at = 0;
    auto take = [&](std::size_t count, std::uint64_t& value) {
        if (bytes.size() - at < count) return false;
        value = 0;
        for (std::size_t i = 0; i < count; ++i) {
            value |= std::uint64_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
        }
        at += count;
        return true;
    };
    auto text = [&](std::string& out) {
        std::uint64_t length = 0;
        if (!take(2, length) || length > kMaxTextBytes || bytes.size() - at < length) return false;
        out.assign(bytes.substr(at, length));
        at += length;
        return true;
    };
    std::uint64_t role = 0, scanTime = 0, start = 0, offset = 0;
    if (!text(facts.programVersion) || !take(2, role) || !take(2, scanTime) || !text(facts.car) ||
        !text(facts.track) || !text(facts.driver) || !take(8, start) || !take(4, offset)) {
        return false;
    }
    facts.role = static_cast<std::int16_t>(role);
    facts.scanTime = static_cast<std::int16_t>(scanTime);
    facts.startUnixSeconds = static_cast<std::int64_t>(start);
    facts.utcOffsetMinutes = static_cast<std::int32_t>(offset);
    return at == bytes.size();
}

}  // namespace

// ---- writer ------------------------------------------------------------------------------------

RecordingWriter::RecordingWriter(std::unique_ptr<core::WritableFile> file, StintFacts facts)
    : m_file(std::move(file)) {
    try {
        m_encoder = std::make_unique<BlockEncoder>();
        m_pending = EncodeHeader(facts);
        if (!m_file) m_error = std::make_error_code(std::errc::bad_file_descriptor);
        if (!m_encoder->Ready()) m_error = std::make_error_code(std::errc::not_enough_memory);
    } catch (const std::bad_alloc&) {
        m_error = std::make_error_code(std::errc::not_enough_memory);
    }
}

RecordingWriter::~RecordingWriter() = default;
RecordingWriter::RecordingWriter(RecordingWriter&&) noexcept = default;
RecordingWriter& RecordingWriter::operator=(RecordingWriter&&) noexcept = default;

bool RecordingWriter::Append(std::uint32_t timeMs, const telemetry::Snapshot& snapshot) {
    if (m_error || m_finished) return false;
    try {
        m_encoder->Add(timeMs, snapshot);
        if (timeMs - m_encoder->FirstTime() >= kBlockSpanMs ||
            m_encoder->Samples() >= kMaxBlockSamples) {
            return WriteBlock(false);
        }
        return true;
    } catch (const std::bad_alloc&) {
        m_error = std::make_error_code(std::errc::not_enough_memory);
        return false;
    }
}

bool RecordingWriter::Finish() {
    if (m_error) return false;
    if (m_finished) return true;
    m_finished = true;
    try {
        return WriteBlock(true);
    } catch (const std::bad_alloc&) {
        m_error = std::make_error_code(std::errc::not_enough_memory);
        return false;
    }
}

// One write per block; the header rides in front of the first. m_pending keeps its capacity,
// so the steady state allocates nothing.
bool RecordingWriter::WriteBlock(bool last) {
    if (!m_encoder->Seal(m_pending, last)) {
        m_error = std::make_error_code(std::errc::io_error);
        return false;
    }
    std::error_code error;
    if (!m_file->WriteAt(m_offset, m_pending, error)) {
        m_error = error ? error : std::make_error_code(std::errc::io_error);
        return false;
    }
    m_offset += m_pending.size();
    m_pending.clear();
    return true;
}

// ---- reader ------------------------------------------------------------------------------------

RecordingReader::RecordingReader(const std::filesystem::path& path) {
    try {
        auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
        if (!file->is_open()) {
            const int code = errno;
            Stop(ReadProblem::CannotOpen,
                 code != 0 ? std::generic_category().message(code) : "cannot open");
            return;
        }
        m_in = std::move(file);
        m_decoder = std::make_unique<BlockDecoder>();
        m_ok = ReadHeader();
    } catch (const std::exception& e) {
        Stop(ReadProblem::CannotOpen, e.what());
    }
}

RecordingReader::RecordingReader(std::unique_ptr<std::istream> in) : m_in(std::move(in)) {
    try {
        m_decoder = std::make_unique<BlockDecoder>();
        m_ok = ReadHeader();
    } catch (const std::exception& e) {
        Stop(ReadProblem::CannotOpen, e.what());
    }
}

RecordingReader RecordingReader::FromBytes(std::string bytes) {
    return RecordingReader(std::make_unique<std::istringstream>(std::move(bytes)));
}

RecordingReader::~RecordingReader() = default;
RecordingReader::RecordingReader(RecordingReader&&) noexcept = default;
RecordingReader& RecordingReader::operator=(RecordingReader&&) noexcept = default;

bool RecordingReader::Ok() const { return m_ok; }
const StintFacts& RecordingReader::Facts() const { return m_facts; }
ReadProblem RecordingReader::Problem() const { return m_problem; }
const std::string& RecordingReader::Detail() const { return m_detail; }
bool RecordingReader::CutShort() const { return m_cutShort; }

void RecordingReader::Stop(ReadProblem problem, std::string detail) {
    m_problem = problem;
    m_detail = std::move(detail);
    m_ended = true;
}

namespace {

/// Reads up to count bytes into out; how many there were.
std::size_t ReadUpTo(std::istream& in, std::string& out, std::size_t count) {
    out.resize(count);
    in.read(out.data(), static_cast<std::streamsize>(count));
    const auto got = static_cast<std::size_t>(in.gcount());
    out.resize(got);
    return got;
}

}  // namespace

bool RecordingReader::ReadHeader() {
    std::string bytes;
    auto cut = [&] {
        m_cutShort = true;
        m_ended = true;
        return false;
    };
    const std::size_t got = ReadUpTo(*m_in, bytes, kMagic.size());
    if (bytes != kMagic.substr(0, got)) {
        Stop(ReadProblem::NotARecording, {});
        return false;
    }
    if (got < kMagic.size()) return cut();

    std::string fields;
    if (ReadUpTo(*m_in, fields, 8) < 8) return cut();
    const auto* b = reinterpret_cast<const unsigned char*>(fields.data());
    const std::uint32_t version = GetU32(b);
    const std::uint32_t factsBytes = GetU32(b + 4);
    if (version > kFormatVersion) {
        Stop(ReadProblem::NewerVersion, std::to_string(version));
        return false;
    }
    if (version == 0 || factsBytes > kMaxFactsBytes) {
        Stop(ReadProblem::DamagedBlock, "0");
        return false;
    }
    std::string facts;
    std::string crc;
    if (ReadUpTo(*m_in, facts, factsBytes) < factsBytes || ReadUpTo(*m_in, crc, 4) < 4) {
        return cut();
    }
    if (GetU32(reinterpret_cast<const unsigned char*>(crc.data())) != Crc32(fields + facts) ||
        !DecodeFacts(facts, m_facts)) {
        m_facts = {};
        Stop(ReadProblem::DamagedBlock, "0");
        return false;
    }
    return true;
}

bool RecordingReader::ReadBlock() {
    std::string bytes;
    const std::size_t got = ReadUpTo(*m_in, bytes, kBlockHeaderBytes);
    ++m_blockNumber;
    // Without the stint's last block, the file ends where a killed writer left it.
    if (got < kBlockHeaderBytes) {
        m_cutShort = true;
        m_ended = true;
        return false;
    }
    BlockHeader header;
    if (!ParseBlockHeader(bytes, header)) {
        Stop(ReadProblem::DamagedBlock, std::to_string(m_blockNumber));
        return false;
    }
    if (ReadUpTo(*m_in, bytes, header.compressedBytes) < header.compressedBytes) {
        m_cutShort = true;
        m_ended = true;
        return false;
    }
    if (!m_decoder->Load(header, bytes)) {
        Stop(ReadProblem::DamagedBlock, std::to_string(m_blockNumber));
        return false;
    }
    m_lastLoaded = header.last;
    return true;
}

bool RecordingReader::Next(Sample& sample) {
    if (!m_ok) return false;
    try {
        while (!m_ended) {
            if (m_decoder->Next(sample)) return true;
            // What follows the stint's last block is no part of it.
            if (m_lastLoaded) {
                m_ended = true;
                return false;
            }
            if (!ReadBlock()) return false;
        }
    } catch (const std::bad_alloc&) {
        Stop(ReadProblem::DamagedBlock, std::to_string(m_blockNumber));
    }
    return false;
}

}  // namespace kerbview::record
