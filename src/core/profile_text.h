// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

/// The rules of a profile file's text, apart from any file: reading one value out of the
/// file's bytes and setting one value in them. See profile_file.h for the rules themselves.
namespace kerbview::core {

/// True when section and key can be written: neither is empty, and neither holds a character
/// that would end the name or its line.
bool WritableProfileNames(std::string_view section, std::string_view key);

/// True when two section or key names are the same name (letter case ignored).
bool SameProfileName(std::string_view a, std::string_view b);

/// The value of key in section, Windows-1252; std::nullopt when the section or key is missing.
std::optional<std::string> ProfileValueIn(std::string_view bytes, std::string_view section,
                                          std::string_view key);

/// bytes with key in section set to value: the value replaced in place, or the key added at the
/// end of its section, or the section added at the end, in the file's own line ends and
/// encoding. Every other byte stays. A line end in value cuts it there. The names must be
/// writable (WritableProfileNames).
std::string WithProfileValue(std::string_view bytes, std::string_view section, std::string_view key,
                             std::string_view value);

}  // namespace kerbview::core
