// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

namespace kerbview::core {

/// ASCII letters folded to lower case; every other byte unchanged (Windows-1252 letters above
/// 0x7F keep their case, as the platform's profile and window-title searches do).
constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/// True when a and b are equal byte by byte, ASCII letters without regard to case.
constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

}  // namespace kerbview::core
