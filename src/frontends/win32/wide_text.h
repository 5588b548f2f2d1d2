// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace kerbview::win32 {

/// The program's Windows-1252 texts as UTF-16 for the wide (W) functions: converted here, once,
/// whatever the system's code page is.
std::wstring Wide(std::string_view cp1252);

/// UTF-16 typed by the user (a port, an address) back to Windows-1252; a character without a
/// Windows-1252 byte becomes '?'.
std::string Narrow(std::wstring_view utf16);

/// UTF-8 (paths, messages from the system) as UTF-16.
std::wstring WideFromUtf8(std::string_view utf8);

}  // namespace kerbview::win32
