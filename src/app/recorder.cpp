// SPDX-License-Identifier: MIT
#include "app/recorder.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <utility>

#include "core/path_text.h"
#include "core/text_encoding.h"

namespace kerbview::app {
namespace {

namespace fs = std::filesystem;

// The longest car or track text in a file name, in bytes of UTF-8: a whole name stays below
// 160 characters, which leaves room for the folder within Windows' 260-character paths.
constexpr std::size_t kNameTextBytes = 60;
// Second stints in one second are numbered up to this.
constexpr int kMostAttempts = 100;
// A recording written to this recently may be another copy's stint under way.
constexpr std::chrono::seconds kRecentWrite(60);

// A Windows-1252 text as a piece of a file name (UTF-8), or empty.
std::string NamePiece(std::string_view cp1252) {
    std::string safe(cp1252);
    for (char& c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        // Not allowed in Windows names, control characters, and bytes Windows-1252 leaves out.
        if (byte < 0x20 || byte == 0x7F ||
            std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos || byte == 0x81 ||
            byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D) {
            c = '_';
        }
    }
    std::string utf8 = core::Cp1252ToUtf8(safe);
    if (utf8.size() > kNameTextBytes) {
        std::size_t cut = kNameTextBytes;
        while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) --cut;
        utf8.resize(cut);
    }
    // Windows drops a name's last dots and blanks, and a first dot hides a file on Linux.
    const std::size_t first = utf8.find_first_not_of(" .");
    if (first == std::string::npos) return {};
    return utf8.substr(first, utf8.find_last_not_of(" .") - first + 1);
}

// Makes folder and the folders above it that are missing, each for its owner only (as the XDG
// base directory rules ask of the data folder).
std::error_code MakeFolder(const fs::path& folder) {
    std::error_code error;
    if (fs::is_directory(folder, error)) return {};
    if (folder.has_parent_path() && folder.parent_path() != folder) {
        if (const std::error_code above = MakeFolder(folder.parent_path())) return above;
    }
    if (!fs::create_directory(folder, error) && error) return error;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
    return {};
}

}  // namespace

fs::path RecordingFileName(const core::WallTime& start, std::string_view car,
                           std::string_view track, int attempt) {
    std::string name = core::LocalDateTimeText(start);
    if (const std::string piece = NamePiece(car); !piece.empty()) name += " " + piece;
    if (const std::string piece = NamePiece(track); !piece.empty()) name += " @ " + piece;
    if (attempt > 1) name += " (" + std::to_string(attempt) + ")";
    name += kRecordingExtension;
    return core::PathFromUtf8(name);
}

std::vector<fs::path> RecordingsToDelete(std::vector<FolderFile> files, std::uint64_t limitBytes,
                                         const fs::path& keep, fs::file_time_type recentSince) {
    std::erase_if(files,
                  [](const FolderFile& f) { return f.path.extension() != kRecordingExtension; });
    std::uint64_t total = 0;
    for (const FolderFile& f : files) total += f.size;
    std::sort(files.begin(), files.end(), [](const FolderFile& a, const FolderFile& b) {
        return a.written != b.written ? a.written < b.written : a.path < b.path;
    });
    std::vector<fs::path> doomed;
    for (const FolderFile& f : files) {
        if (total <= limitBytes) break;
        if (f.path == keep || f.written >= recentSince) continue;
        doomed.push_back(f.path);
        total -= f.size;
    }
    return doomed;
}

StintRecorder::StintRecorder(RecordingServices services, const core::Clock& clock,
                             std::string programVersion)
    : m_folder(std::move(services.folder)),
      m_files(services.files ? std::move(services.files) : core::MakeFileSystem()),
      m_wallClock(services.wallClock != nullptr ? *services.wallClock : core::SystemWallClock()),
      m_clock(clock),
      m_programVersion(std::move(programVersion)) {}

StintRecorder::~StintRecorder() { EndStint(); }

std::optional<RecordingFailure> StintRecorder::SetEnabled(bool on, std::uint32_t limitMB) {
    m_limitBytes = std::uint64_t{limitMB} * kRecordingMegabyte;
    std::optional<RecordingFailure> failure = on ? std::nullopt : EndStint();
    m_enabled = on;
    return failure;
}

std::optional<RecordingFailure> StintRecorder::SetHeld(bool held) {
    m_held = held;
    return held ? EndStint() : std::nullopt;
}

std::optional<RecordingFailure> StintRecorder::Record(const telemetry::Snapshot& snapshot,
                                                      std::int16_t role, std::int16_t scanTime) {
    if (!m_enabled || m_held) return std::nullopt;
    // A stint holds one car on one track, as one role scanning at one pace.
    if (m_writer && (snapshot.CarName != m_facts.car || snapshot.TrackName != m_facts.track ||
                     role != m_facts.role || scanTime != m_facts.scanTime)) {
        if (std::optional<RecordingFailure> failure = EndStint()) return failure;
    }
    if (!m_writer) {
        if (std::optional<RecordingFailure> failure = StartStint(snapshot, role, scanTime)) {
            return failure;
        }
    }
    const std::int64_t elapsed = std::clamp<std::int64_t>(
        m_clock.NowMs() - m_startMs, 0, std::numeric_limits<std::uint32_t>::max());
    if (!m_writer->Append(static_cast<std::uint32_t>(elapsed), snapshot)) {
        return Stop({m_path, m_writer->Error()});
    }
    return std::nullopt;
}

std::optional<RecordingFailure> StintRecorder::EndStint() {
    if (!m_writer) return std::nullopt;
    const bool finished = m_writer->Finish();
    RecordingFailure failure{std::exchange(m_path, {}), m_writer->Error()};
    m_writer.reset();
    if (!finished) return Stop(std::move(failure));
    return std::nullopt;
}

std::optional<RecordingFailure> StintRecorder::StartStint(const telemetry::Snapshot& snapshot,
                                                          std::int16_t role,
                                                          std::int16_t scanTime) {
    const core::WallTime start = m_wallClock.Now();
    if (const std::error_code error = MakeFolder(m_folder)) return Stop({m_folder, error});
    std::unique_ptr<core::WritableFile> file;
    fs::path path;
    std::error_code error;
    // Never over an existing file: a second stint in the same second gets the next number.
    for (int attempt = 1; !file && attempt <= kMostAttempts; ++attempt) {
        path = m_folder / RecordingFileName(start, snapshot.CarName, snapshot.TrackName, attempt);
        error.clear();
        file = m_files->Open(path, core::OpenMode::CreateNew, error);
        if (!file && error != std::errc::file_exists) break;
    }
    if (!file) return Stop({path, error});
    m_facts = {m_programVersion,   role,
               scanTime,           snapshot.CarName,
               snapshot.TrackName, snapshot.DriverName,
               start.unixSeconds,  start.utcOffsetMinutes};
    m_writer = std::make_unique<record::RecordingWriter>(std::move(file), m_facts);
    m_path = std::move(path);
    m_startMs = m_clock.NowMs();
    Prune();
    return std::nullopt;
}

// Files that cannot be listed or removed (one open in another program on Windows) are left;
// the recording goes on.
void StintRecorder::Prune() {
    std::vector<FolderFile> files;
    std::error_code error;
    for (fs::directory_iterator it(m_folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code entryError;
        if (!it->is_regular_file(entryError)) continue;
        const std::uint64_t size = it->file_size(entryError);
        const fs::file_time_type written = it->last_write_time(entryError);
        if (!entryError) files.push_back({it->path(), size, written});
    }
    const fs::file_time_type recentSince = fs::file_time_type::clock::now() - kRecentWrite;
    for (const fs::path& doomed :
         RecordingsToDelete(std::move(files), m_limitBytes, m_path, recentSince)) {
        fs::remove(doomed, error);
    }
}

std::optional<RecordingFailure> StintRecorder::Stop(RecordingFailure failure) {
    m_writer.reset();
    m_path.clear();
    m_enabled = false;
    return failure;
}

}  // namespace kerbview::app
