// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/clock.h"
#include "core/file_system.h"
#include "core/wall_clock.h"
#include "record/recording.h"
#include "telemetry/snapshot.h"

namespace kerbview::app {

/// The recordings' file name extension.
inline constexpr std::string_view kRecordingExtension = ".kvrec";
/// A megabyte of the recordings' size limit, as Windows counts it.
inline constexpr std::uint64_t kRecordingMegabyte = 1024 * 1024;

/// The file name of a stint's recording: its local start date and time, car and track
/// ("2026-12-07 19-36-12 BMW 320si @ Anderstorp.kvrec"), the texts converted from
/// Windows-1252. A name that Windows or Linux could not hold is never made: characters that
/// are not allowed become '_', each text is cut to 60 bytes of UTF-8 (whole characters) and
/// loses blanks and dots at its ends, and an empty text is left out. attempt 2 and up give
/// " (2)" ... before the extension, for a second stint in the same second.
std::filesystem::path RecordingFileName(const core::WallTime& start, std::string_view car,
                                        std::string_view track, int attempt = 1);

/// A file in the recordings folder.
struct FolderFile {
    std::filesystem::path path;
    std::uint64_t size = 0;
    std::filesystem::file_time_type written;
};

/// The recordings to delete so that the recordings in the folder (files with the recordings'
/// extension) take at most limitBytes: the oldest first (by last write), never keep, and never
/// one written since recentSince (another copy of the program may be writing it).
std::vector<std::filesystem::path> RecordingsToDelete(std::vector<FolderFile> files,
                                                      std::uint64_t limitBytes,
                                                      const std::filesystem::path& keep,
                                                      std::filesystem::file_time_type recentSince);

/// Why recording stopped: the file (or folder) and the system's error.
struct RecordingFailure {
    std::filesystem::path path;
    std::error_code error;
};

/// What the program hands StintRecorder.
struct RecordingServices {
    /// The recordings folder; empty: "recordings" in the program folder.
    std::filesystem::path folder;
    /// The file services; empty: the platform's.
    std::unique_ptr<core::FileSystem> files;
    /// The calendar's clock, which must outlive the program; null: the system's.
    const core::WallClock* wallClock = nullptr;
};

/// Records every stint into a file of its own in the recordings folder. A stint starts with the
/// first snapshot recorded after the recorder was switched on or the last stint ended, and ends
/// when EndStint is called (the simulator or the connection is gone) or a snapshot comes with
/// another car, track, role or scan time, which starts the next stint. Each snapshot costs
/// an append to a buffer; the writer writes one block a second, on the calling thread. Never
/// throws.
class StintRecorder {
public:
    /// clock measures the times since the stint's start; it and services.wallClock must outlive
    /// the recorder.
    StintRecorder(RecordingServices services, const core::Clock& clock, std::string programVersion);
    ~StintRecorder();
    StintRecorder(const StintRecorder&) = delete;
    StintRecorder& operator=(const StintRecorder&) = delete;

    /// Switched on, stints are recorded, the folder kept within limitMB megabytes. Switched off
    /// (or on again after a failure), the stint under way ends: see EndStint.
    std::optional<RecordingFailure> SetEnabled(bool on, std::uint32_t limitMB);
    /// Switched on and not stopped by a failure.
    bool Enabled() const { return m_enabled; }
    /// While held (a replay shown), nothing is recorded and the stint under way ends.
    std::optional<RecordingFailure> SetHeld(bool held);

    /// Records one acquired or received snapshot (base units) of a program in role (the settings
    /// file's number) scanning every scanTime ms. A failure (the folder or file cannot be made,
    /// a full disk) is returned once, and switches the recorder off: the file keeps every block
    /// written before it.
    std::optional<RecordingFailure> Record(const telemetry::Snapshot& snapshot, std::int16_t role,
                                           std::int16_t scanTime);
    /// The stint under way, if any, ends: its last block is written and its file closed. A
    /// failure to write it is returned as Record's are.
    std::optional<RecordingFailure> EndStint();

    /// The file of the stint under way; empty between stints.
    const std::filesystem::path& CurrentFile() const { return m_path; }
    const std::filesystem::path& Folder() const { return m_folder; }

private:
    std::optional<RecordingFailure> StartStint(const telemetry::Snapshot& snapshot,
                                               std::int16_t role, std::int16_t scanTime);
    void Prune();
    std::optional<RecordingFailure> Stop(RecordingFailure failure);

    std::filesystem::path m_folder;
    std::unique_ptr<core::FileSystem> m_files;
    const core::WallClock& m_wallClock;
    const core::Clock& m_clock;
    std::string m_programVersion;
    bool m_enabled = false;
    bool m_held = false;
    std::uint64_t m_limitBytes = 0;
    // The stint under way.
    std::unique_ptr<record::RecordingWriter> m_writer;
    std::filesystem::path m_path;
    record::StintFacts m_facts;
    std::int64_t m_startMs = 0;
};

}  // namespace kerbview::app
