// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

/// Texts from the simulator's memory, the settings file and the wire are single-byte
/// Windows-1252. They are kept as such in std::string and converted only for display.
namespace kerbview::core {

/// Windows-1252 bytes to UTF-8. The five unassigned bytes map to U+FFFD.
std::string Cp1252ToUtf8(std::string_view cp1252);

/// UTF-8 to Windows-1252. A character that has no Windows-1252 byte becomes '?';
/// a byte that does not start valid UTF-8 is taken as Windows-1252 unchanged.
std::string Utf8ToCp1252(std::string_view utf8);

/// UTF-16LE bytes (after any byte-order mark) to UTF-8; a last odd byte is ignored. Nothing is
/// lost: a surrogate without its pair gets a three-byte form of its own, which Utf8ToUtf16Le
/// turns back into it.
std::string Utf16LeToUtf8(std::string_view utf16le);

/// UTF-8 (with the surrogates Utf16LeToUtf8 makes) to UTF-16LE bytes, without a byte-order
/// mark. A byte that does not start a valid sequence is taken as Windows-1252.
std::string Utf8ToUtf16Le(std::string_view utf8);

/// True when the bytes are valid UTF-8 and hold at least one multi-byte sequence, that is,
/// when they are far more likely UTF-8 than Windows-1252.
bool LooksLikeUtf8(std::string_view bytes);

}  // namespace kerbview::core
