// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

/// Windows-style profile (INI) file with the semantics of the platform's profile-string
/// services: section and key names match ignoring letter case, blanks around keys and values
/// are ignored, the first of duplicate keys wins, and a write keeps every other line byte for
/// byte. Values are Windows-1252 text; a file saved as UTF-8 is read correctly too.
namespace kerbview::core {

/// Reads one value: std::nullopt when the file, section or key is missing.
/// An empty value is returned as an empty string. Never throws.
std::optional<std::string> ReadProfileString(const std::string& path, std::string_view section,
                                             std::string_view key);

/// Writes one value: replaces it in place, or appends the key at the end of its section, or
/// appends the section at the end of the file, creating the file when needed.
/// Returns false when the file cannot be written; never throws, never blocks on a lock.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

/// ReadIni: an empty default becomes "-1"; a missing or empty value gives the default;
/// a value is cut to 254 characters.
std::string ReadIni(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view defaultText);

}  // namespace kerbview::core
