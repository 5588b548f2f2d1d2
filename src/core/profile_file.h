// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/file_system.h"

/// Windows-style profile (INI) file with the semantics of the platform's profile-string
/// services: section and key names match ignoring letter case, blanks around keys and values
/// are ignored, the first of duplicate keys wins, lines end at CR LF, LF or a lone CR, and a
/// write keeps every other line byte for byte. Values are Windows-1252 text; a file saved as
/// UTF-8, or as UTF-16LE with a byte-order mark, is read correctly too and keeps its encoding.
namespace kerbview::core {

/// One value to write.
struct ProfileEntry {
    std::string section;
    std::string key;
    std::string value;
};

enum class WriteStatus {
    Written,  ///< the file holds the values (also when it held them already)
    Busy,     ///< another writer held the file past the wait: nothing written, try again later
    Failed,   ///< the file could not be written
    Held,     ///< kept for a batch of writes that has not ended yet (SettingsStore)
};

/// How a write ended.
struct WriteResult {
    WriteStatus status = WriteStatus::Written;
    /// Busy or Failed: one line saying why, naming the file, in English (for the error report).
    std::string error;

    bool Ok() const { return status == WriteStatus::Written; }
};

/// How long a write waits for another writer of the same file before it gives up as Busy.
inline constexpr std::chrono::milliseconds kWriterLockPatience{5};

/// Reads one value: std::nullopt when the file, section or key is missing.
/// An empty value is returned as an empty string. Never throws.
std::optional<std::string> ReadProfileValue(const std::filesystem::path& path,
                                            std::string_view section, std::string_view key);

/// Writes the values in order into one new version of the file, under the lock every writer of
/// the file takes. Each value replaces its key in place, or the key is appended at the end of
/// its section, or the section at the end of the file, creating the file when needed. The file
/// is replaced through a temporary file beside it, so that a crash leaves the old or the new
/// file; where no temporary file can be made, it is rewritten in place, and a file that cannot
/// grow (a full disk) is then left as it was. A file changed by another program (an editor)
/// between the read and the replacement is read again; where the system can exchange two files
/// in one step (Linux), one changed in the instant before the replacement is too, and its
/// change kept. A file that reads empty is read again after 50 ms, as an editor saving in place
/// empties it first. Never throws; waits at most lockPatience for the lock. Entries with names
/// that cannot be written fail the whole write.
WriteResult WriteProfileValues(FileSystem& files, const std::filesystem::path& path,
                               std::span<const ProfileEntry> entries,
                               std::chrono::milliseconds lockPatience = kWriterLockPatience);

/// WriteProfileValues for one value, with the platform's file services.
WriteResult WriteProfileValue(const std::filesystem::path& path, std::string_view section,
                              std::string_view key, std::string_view value);

/// ReadIni: an empty default becomes "-1"; a missing or empty value gives the default;
/// a value is cut to 254 characters.
std::string ReadIni(const std::filesystem::path& path, std::string_view section,
                    std::string_view key, std::string_view defaultText);

/// ReadIni's rule applied to a value already read (std::nullopt: missing).
std::string IniValueOrDefault(std::optional<std::string> value, std::string_view defaultText);

}  // namespace kerbview::core
