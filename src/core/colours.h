// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

/// Colour numbers hold red in the lowest byte, then green, then blue (0x00BBGGRR).
namespace kerbview::core {

using ColourNumber = std::uint32_t;

inline constexpr ColourNumber ColorCold = 0xC0C000;   // teal: below the minimum
inline constexpr ColourNumber ColorOk = 0x80FF80;     // light green: inside the band
inline constexpr ColourNumber ColorHot = 0x8080FF;    // light red: at or above the maximum
inline constexpr ColourNumber ColorPlain = 0xFFFFFF;  // white: graphics off

/// Builds a colour number from its red, green and blue parts.
constexpr ColourNumber Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return ColourNumber{r} | (ColourNumber{g} << 8) | (ColourNumber{b} << 16);
}

}  // namespace kerbview::core
