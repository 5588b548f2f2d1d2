// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <string>
#include <string_view>

/// The one crossing between the program's Windows-1252 texts and the toolkit's text.
namespace kerbview::qt {

/// A Windows-1252 text for display.
QString FromCp1252(std::string_view cp1252);

/// Typed text back to Windows-1252; a character without a Windows-1252 byte becomes '?'.
std::string ToCp1252(const QString& text);

}  // namespace kerbview::qt
