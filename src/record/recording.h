// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "core/file_system.h"
#include "telemetry/snapshot.h"

/// Recordings of stints: one file per stint, a header with its facts, then blocks of about a
/// second of scans, each compressed and checked on its own (docs/recording-format.md).
namespace kerbview::record {

/// The facts of one stint, kept once at the head of its file. Texts are Windows-1252.
struct StintFacts {
    std::string programVersion;  // "1.0.1"
    std::int16_t role = 0;       // the settings file's number: 0 none, 1 server, 2 client
    std::int16_t scanTime = 0;   // milliseconds
    std::string car;
    std::string track;
    std::string driver;
    std::int64_t startUnixSeconds = 0;  // the stint's start, UTC
    std::int32_t utcOffsetMinutes = 0;  // local time there = UTC + this
    bool operator==(const StintFacts&) const = default;
};

/// One scan of a stint: the snapshot as acquired or received (base units, before any unit
/// conversion) and its time since the stint's start.
struct Sample {
    std::uint32_t timeMs = 0;
    telemetry::Snapshot snapshot;
    bool operator==(const Sample&) const = default;
};

/// A new block is sealed and written once the block in progress spans this long.
inline constexpr std::uint32_t kBlockSpanMs = 1000;
/// ... or once it holds this many scans (times that stand still must not grow a block forever).
inline constexpr std::uint32_t kMaxBlockSamples = 512;
/// The longest text kept (a snapshot's text or a fact); the writer keeps the first this many
/// bytes of a longer one. The simulator's own texts are at most 50 bytes.
inline constexpr std::size_t kMaxTextBytes = 1024;
/// The format version this program writes; it reads this one and every older one.
inline constexpr std::uint32_t kFormatVersion = 1;

class BlockEncoder;
class BlockDecoder;

/// Writes one stint into an open, empty file: the header and the blocks, each with exactly one
/// unbuffered write (WritableFile::WriteAt), no thread, no fsync; the header goes out with the
/// first block. A killed program loses at most the block in progress. Never throws.
class RecordingWriter {
public:
    RecordingWriter(std::unique_ptr<core::WritableFile> file, StintFacts facts);
    ~RecordingWriter();
    RecordingWriter(RecordingWriter&&) noexcept;
    RecordingWriter& operator=(RecordingWriter&&) noexcept;

    /// Adds one scan (timeMs never decreases). Seals and writes the block in progress when it
    /// spans kBlockSpanMs or more. Returns false once a write has failed (Error() says why);
    /// from then on nothing more is written, and the file holds every block before the failure.
    bool Append(std::uint32_t timeMs, const telemetry::Snapshot& snapshot);
    /// Writes the block in progress, if any, marked as the stint's end (or an empty end mark),
    /// so a reader can tell a finished stint from a cut one. Same result as Append. A stint
    /// without a single scan still gets its header. Once finished, the writer writes nothing
    /// more: Append returns false (Error() stays empty) and Finish true.
    bool Finish();
    /// The first write failure; empty while every write succeeded.
    const std::error_code& Error() const { return m_error; }
    /// Bytes written to the file so far.
    std::uint64_t BytesWritten() const { return m_offset; }

private:
    bool WriteBlock(bool last);

    std::unique_ptr<core::WritableFile> m_file;
    std::uint64_t m_offset = 0;
    std::error_code m_error;
    std::unique_ptr<BlockEncoder> m_encoder;  // the block in progress and its buffers
    std::string m_pending;                    // the header, until it goes out with a block
    bool m_finished = false;
};

/// Why a recording could not be read, or stopped being read.
enum class ReadProblem {
    None,
    CannotOpen,     ///< the file cannot be opened (Detail: the system's text)
    NotARecording,  ///< not a Kerbview recording at all
    NewerVersion,   ///< written by a newer Kerbview (Detail: the file's format version)
    DamagedBlock,   ///< a whole block whose checksum or contents are wrong (Detail: its number,
                    ///< counted from 1; 0 is the header)
};

/// Reads a recording in order, one block in memory at a time. A file cut anywhere (a program
/// killed while writing) reads back up to its last whole block: that is no problem, CutShort()
/// tells it. Never throws, never trusts a length or count it reads. Reading stops at the first
/// damaged block: the samples before it have been handed out, none after it are.
class RecordingReader {
public:
    /// Opens path and reads its header.
    explicit RecordingReader(const std::filesystem::path& path);
    /// Reads a recording held in memory (the fuzzer, tests).
    static RecordingReader FromBytes(std::string bytes);
    ~RecordingReader();
    RecordingReader(RecordingReader&&) noexcept;
    RecordingReader& operator=(RecordingReader&&) noexcept;

    /// True when the header was read: Facts() holds the stint's facts.
    bool Ok() const;
    const StintFacts& Facts() const;
    /// The next sample; false at the end of the recording or at a problem (Problem()).
    bool Next(Sample& sample);
    /// None while reading and at a clean or cut end.
    ReadProblem Problem() const;
    const std::string& Detail() const;
    /// True when reading ended at an incomplete last block or header (a cut file), or after a
    /// whole block that was not the stint's last (a file cut between two blocks).
    bool CutShort() const;

private:
    explicit RecordingReader(std::unique_ptr<std::istream> in);
    void Stop(ReadProblem problem, std::string detail);
    bool ReadHeader();
    bool ReadBlock();

    std::unique_ptr<std::istream> m_in;
    std::unique_ptr<BlockDecoder> m_decoder;  // the block being handed out
    StintFacts m_facts;
    bool m_ok = false;
    bool m_ended = false;
    bool m_cutShort = false;
    ReadProblem m_problem = ReadProblem::None;
    std::string m_detail;
    std::uint32_t m_blockNumber = 0;
    bool m_lastLoaded = false;  // the block loaded ends the stint
};

}  // namespace kerbview::record
