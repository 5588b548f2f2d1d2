// SPDX-License-Identifier: MIT
#include "core/profile_file.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>
#include <thread>

#include "core/path_text.h"
#include "core/profile_text.h"

namespace kerbview::core {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kReadIniLimit = 254;

enum class LoadStatus { Loaded, Missing, Unusable };

// Reads the whole file. Anything but a regular file (a folder, a device, a pipe that would
// block) is unusable.
LoadStatus LoadFile(const fs::path& path, std::string& out) {
    std::error_code ec;
    fs::file_status st = fs::status(path, ec);
    if (st.type() == fs::file_type::not_found) return LoadStatus::Missing;
    if (ec || st.type() != fs::file_type::regular) return LoadStatus::Unusable;
    std::ifstream in(path, std::ios::binary);
    if (!in) return LoadStatus::Unusable;
    out.clear();
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        out.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) return LoadStatus::Unusable;
    return LoadStatus::Loaded;
}

// Reads a file that values are to be written into. An editor that saves over the file in place
// empties it first and fills it a moment later; writing into that moment's empty file would
// drop every other line, so a file that reads empty is read again after a pause.
LoadStatus LoadForWrite(const fs::path& path, std::string& out) {
    const LoadStatus status = LoadFile(path, out);
    if (status != LoadStatus::Loaded || !out.empty()) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return LoadFile(path, out);
}

// True when the file still is what was read (or still is missing).
bool Unchanged(const fs::path& path, LoadStatus was, const std::string& original) {
    std::string now;
    const LoadStatus status = LoadFile(path, now);
    return status == was && now == original;
}

std::string TempSuffix() {
    std::random_device rd;
    std::uint64_t n = (std::uint64_t{rd()} << 32) ^ rd();
    char buf[24];
    std::snprintf(buf, sizeof buf, ".%016llx~", static_cast<unsigned long long>(n));
    return buf;
}

enum class Saved {
    Done,
    ChangedMeanwhile,  // the target is not what was read: nothing written
    ReplacedAChange,   // the content is in place, but it replaced a file saved since the read
    Failed,
};

// The file as it was read, and what replaces it.
struct Edit {
    const fs::path& target;
    LoadStatus was;
    const std::string& original;
    const std::string& content;
};

// Rewrites the file in place. The bytes past the old end are written first: when the disk has
// no room for them, the file is cut back to its old length and no old byte has been touched.
Saved SaveInPlace(FileSystem& files, const Edit& edit, std::string& why) {
    std::error_code ec;
    const bool exists = edit.was == LoadStatus::Loaded;
    std::unique_ptr<WritableFile> file =
        files.Open(edit.target, exists ? OpenMode::Existing : OpenMode::CreateNew, ec);
    if (!file) {
        if (!exists && ec == std::errc::file_exists) return Saved::ChangedMeanwhile;
        why = ec.message();
        return Saved::Failed;
    }
    if (!Unchanged(edit.target, edit.was, edit.original)) return Saved::ChangedMeanwhile;
    const std::string_view content = edit.content;
    const std::size_t old = exists ? edit.original.size() : 0;
    if (content.size() > old && !file->WriteAt(old, content.substr(old), ec)) {
        std::error_code ignored;
        file->Resize(old, ignored);
        why = ec.message() + "; the file is left as it was";
        return Saved::Failed;
    }
    if (!file->WriteAt(0, content.substr(0, old), ec) ||
        (content.size() < old && !file->Resize(content.size(), ec))) {
        why = ec.message();
        return Saved::Failed;
    }
    return Saved::Done;
}

// Gives temp, which holds the new content, the target's name. An existing target is exchanged
// with it rather than overwritten: an editor may have saved the file since the last check, and
// the file swapped out is then read into replaced, so that the caller can write the values into
// it. A new file never replaces one made meanwhile. Where the system can do neither (or the
// exchange fails), a rename replaces the target, as it did before exchanges were made. Leaves
// temp for the caller to remove unless Done or ReplacedAChange.
Saved PutInPlace(FileSystem& files, const fs::path& temp, const Edit& edit, std::string& replaced,
                 std::error_code& ec) {
    const bool exists = edit.was == LoadStatus::Loaded;
    if (exists ? files.Exchange(temp, edit.target, ec) : files.MoveNew(temp, edit.target, ec)) {
        if (!exists) return Saved::Done;
        std::string was;
        const LoadStatus status = LoadForWrite(temp, was);
        std::error_code ignored;
        fs::remove(temp, ignored);
        if (status != LoadStatus::Loaded || was == edit.original) return Saved::Done;
        replaced = std::move(was);
        return Saved::ReplacedAChange;
    }
    if (ec == std::errc::file_exists) return Saved::ChangedMeanwhile;
    ec.clear();
    fs::rename(temp, edit.target, ec);
    return ec ? Saved::Failed : Saved::Done;
}

// Replaces the file: a temporary file in the same folder, then a rename over the target, so
// that a crash leaves either the old or the new file, never a truncated one. When no temporary
// file can be made there, the file is rewritten in place.
Saved SaveFile(FileSystem& files, const Edit& edit, std::string& replaced, std::string& why) {
    std::error_code ec;
    if (edit.was == LoadStatus::Loaded) {
        // A file that cannot be opened for writing stays as it is, even where the folder would
        // allow the rename: the platform service fails there too. The handle is closed at once,
        // as Windows refuses to rename over an open file.
        if (!files.Open(edit.target, OpenMode::Existing, ec)) {
            why = ec.message();
            return Saved::Failed;
        }
    }
    for (int attempt = 0; attempt < 4; ++attempt) {
        fs::path temp = edit.target;
        temp += TempSuffix();
        std::unique_ptr<WritableFile> file = files.Open(temp, OpenMode::CreateNew, ec);
        if (!file) {
            if (ec == std::errc::file_exists) continue;
            break;
        }
        const bool written = file->WriteAt(0, edit.content, ec);
        file.reset();
        std::error_code ignored;
        if (!written) {
            fs::remove(temp, ignored);
            why = ec.message();
            return Saved::Failed;
        }
        if (edit.was == LoadStatus::Loaded) {
            const fs::perms perms = fs::status(edit.target, ignored).permissions();
            if (!ignored) fs::permissions(temp, perms, ignored);
        }
        Saved saved = Saved::ChangedMeanwhile;
        if (Unchanged(edit.target, edit.was, edit.original)) {
            saved = PutInPlace(files, temp, edit, replaced, ec);
            if (saved == Saved::Done || saved == Saved::ReplacedAChange) return saved;
        }
        fs::remove(temp, ignored);
        if (saved == Saved::ChangedMeanwhile) return saved;
        break;
    }
    return SaveInPlace(files, edit, why);
}

// The file a write changes: the file a symbolic link names (the link stays a link), also when
// that file does not exist yet. Empty when the links go round in a loop.
fs::path WriteTarget(fs::path path) {
    std::error_code ec;
    for (int hops = 0; fs::is_symlink(path, ec); ++hops) {
        const fs::path link = fs::read_symlink(path, ec);
        if (ec) break;
        if (hops == 40) return {};
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return path;
}

// Waits up to patience for the writers' lock. An empty, not busy attempt means that locking is
// impossible where the file lies (a file system without locks): the write goes on unlocked.
LockAttempt TakeWritersLock(FileSystem& files, const fs::path& target,
                            std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        LockAttempt attempt = files.TryLockWriters(target);
        if (attempt.lock || !attempt.busy || std::chrono::steady_clock::now() >= deadline) {
            return attempt;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

WriteResult Refused(WriteStatus status, const fs::path& target, std::string why) {
    return {status, PathToUtf8(target.filename()) + ": " + why};
}

WriteResult WriteValues(FileSystem& files, const fs::path& path,
                        std::span<const ProfileEntry> entries,
                        std::chrono::milliseconds lockPatience) {
    for (const ProfileEntry& e : entries) {
        if (!WritableProfileNames(e.section, e.key)) {
            return Refused(WriteStatus::Failed, path,
                           "a section or key name cannot be written: [" + e.section + "] " + e.key);
        }
    }
    const fs::path target = WriteTarget(path);
    if (target.empty()) return Refused(WriteStatus::Failed, path, "a loop of symbolic links");
    const LockAttempt lock = TakeWritersLock(files, target, lockPatience);
    if (!lock.lock && lock.busy) {
        return Refused(WriteStatus::Busy, target, "another program is writing it");
    }
    // A program that does not take the lock (a text editor) may save the file between the read
    // and the replacement; the values are then written into its file rather than over it.
    std::string text;  // what the values are written into
    LoadStatus status = LoadForWrite(target, text);
    std::string holds = text;  // what the target holds
    LoadStatus holdsStatus = status;
    for (int round = 0; round < 8; ++round) {
        if (status == LoadStatus::Unusable) {
            return Refused(WriteStatus::Failed, target, "not a readable file");
        }
        std::string content = text;
        for (const ProfileEntry& e : entries) {
            content = WithProfileValue(content, e.section, e.key, e.value);
        }
        if (holdsStatus == LoadStatus::Loaded && content == holds) return {};
        std::string replaced;
        std::string why;
        switch (SaveFile(files, Edit{target, holdsStatus, holds, content}, replaced, why)) {
            case Saved::Done: return {};
            case Saved::Failed: return Refused(WriteStatus::Failed, target, why);
            case Saved::ChangedMeanwhile:
                status = LoadForWrite(target, text);
                holds = text;
                holdsStatus = status;
                break;
            case Saved::ReplacedAChange:
                text = std::move(replaced);
                status = LoadStatus::Loaded;
                holds = std::move(content);
                holdsStatus = LoadStatus::Loaded;
                break;
        }
    }
    return Refused(WriteStatus::Busy, target, "another program kept changing it");
}

}  // namespace

// The public calls never throw: whatever fails inside (memory, the file system) counts as a
// value not found or a write not done.
std::optional<std::string> ReadProfileValue(const fs::path& path, std::string_view section,
                                            std::string_view key) {
    try {
        std::string text;
        if (LoadFile(path, text) != LoadStatus::Loaded) return std::nullopt;
        return ProfileValueIn(text, section, key);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

WriteResult WriteProfileValues(FileSystem& files, const fs::path& path,
                               std::span<const ProfileEntry> entries,
                               std::chrono::milliseconds lockPatience) {
    try {
        return WriteValues(files, path, entries, lockPatience);
    } catch (const std::exception& e) {
        return Refused(WriteStatus::Failed, path, e.what());
    }
}

WriteResult WriteProfileValue(const fs::path& path, std::string_view section, std::string_view key,
                              std::string_view value) {
    try {
        const ProfileEntry entry{std::string(section), std::string(key), std::string(value)};
        return WriteProfileValues(*MakeFileSystem(), path, {&entry, 1});
    } catch (const std::exception& e) {
        return {WriteStatus::Failed, e.what()};
    }
}

std::string IniValueOrDefault(std::optional<std::string> value, std::string_view defaultText) {
    if (!value || value->empty()) {
        return defaultText.empty() ? std::string("-1") : std::string(defaultText);
    }
    if (value->size() > kReadIniLimit) value->resize(kReadIniLimit);
    return std::move(*value);
}

std::string ReadIni(const fs::path& path, std::string_view section, std::string_view key,
                    std::string_view defaultText) {
    return IniValueOrDefault(ReadProfileValue(path, section, key), defaultText);
}

}  // namespace kerbview::core
