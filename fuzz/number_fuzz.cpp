// SPDX-License-Identifier: MIT
// libFuzzer target for the number-reading rules: leading-number reading, the locale numeric
// test, the parsers, and the round trips from the number texts back to numbers.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/number_rules.h"

namespace {

using namespace kerbview::core;

// A property that must hold for every input; the fuzzer reports the input that breaks it.
void Require(bool holds) {
    if (!holds) std::abort();
}

// Reads with a parser; false when it throws NumberError (any other exception escapes).
template <typename T, typename Parse>
bool Parses(Parse parse, T& out) {
    try {
        out = parse();
        return true;
    } catch (const NumberError&) {
        return false;
    }
}

void CheckText(std::string_view text, char sep) {
    const double leading = ReadLeadingNumber(text);  // never throws
    Require(!std::isnan(leading));

    double d = 0;
    const bool numeric = IsNumeric(text, sep);
    bool parsed = false;
    std::string why;
    try {
        d = ParseDouble(text, sep);
        parsed = true;
    } catch (const NumberError& e) {
        why = e.what();
    }
    // Only a number parses, and a number fails only by overflowing a double.
    Require(parsed == numeric || (numeric && why == "overflow"));
    if (!parsed) return;
    Require(std::isfinite(d));

    float f = 0;
    if (Parses<float>([&] { return ParseSingle(text, sep); }, f)) {
        Require(std::isfinite(f));
        Require(f == static_cast<float>(d));
    } else {
        Require(std::fabs(d) > 3.4e38);
    }
    std::int16_t i = 0;
    if (Parses<std::int16_t>([&] { return ParseInteger(text, sep); }, i)) {
        Require(i == ToInt16(d));
        Require(std::fabs(static_cast<double>(i) - d) <= 0.5);
    } else {
        Require(!(std::nearbyint(d) >= -32768.0 && std::nearbyint(d) <= 32767.0));
    }
}

// The text of a number reads back to a number within the rounding of its significant digits.
void CheckSingleRoundTrip(float value, char sep) {
    if (!std::isfinite(value)) return;
    const std::string text = SingleText(value, sep);
    const float back = ParseSingle(text, sep);
    // Seven digits are one more than a single always carries back (near 1E+28 the nearest
    // single to the text writes 9.999999E+27), so only the distance is checked here; fifteen
    // digits always come back from a double, whose text must be stable.
    Require(std::fabs(static_cast<double>(back) - static_cast<double>(value)) <=
            std::fabs(static_cast<double>(value)) * 1e-6);
    Require(IsNumeric(text, sep));
}

void CheckDoubleRoundTrip(double value, char sep) {
    if (!std::isfinite(value)) return;
    const std::string text = DoubleText(value, sep);
    double back = 0;
    try {
        back = ParseDouble(text, sep);
    } catch (const NumberError& e) {
        // Within half a unit of the 15th digit of the largest double, the text rounds up past
        // it and reads back as an overflow, as the run-time the rules follow does.
        Require(std::string_view(e.what()) == "overflow" &&
                std::fabs(value) > 1.797693134862315e308);
        return;
    }
    Require(DoubleText(back, sep) == text);
    Require(std::fabs(back - value) <= std::fabs(value) * 1e-14);
}

// A picture text reads back to its value within half a unit of its last decimal.
void CheckPicture(double value, char sep) {
    if (!std::isfinite(value) || std::fabs(value) > 1e15) return;
    static constexpr struct {
        Picture picture;
        double unit;
    } kPictures[] = {{Picture::Zero, 1},
                     {Picture::ZeroZero, 1},
                     {Picture::ZeroPointZero, 0.1},
                     {Picture::PointZeroZero, 0.01},
                     {Picture::PointZeroZeroZero, 0.001},
                     {Picture::SixZeros, 1}};
    for (const auto& p : kPictures) {
        const std::string text = FormatPicture(value, p.picture, sep);
        const double back = ParseDouble(text, sep);
        Require(std::fabs(back - value) <= p.unit / 2 + std::fabs(value) * 1e-14);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char sep = (data[0] & 1) ? ',' : '.';
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    CheckText(text, sep);

    // The same bytes as the bits of a single and of a double.
    if (text.size() >= sizeof(float)) {
        float f;
        std::memcpy(&f, text.data(), sizeof f);
        CheckSingleRoundTrip(f, sep);
    }
    if (text.size() >= sizeof(double)) {
        double d;
        std::memcpy(&d, text.data(), sizeof d);
        CheckDoubleRoundTrip(d, sep);
        CheckPicture(d, sep);
    }
    // And the number the text starts with, when there is one.
    const double leading = ReadLeadingNumber(text);
    CheckSingleRoundTrip(static_cast<float>(leading), sep);
    CheckDoubleRoundTrip(leading, sep);
    CheckPicture(leading, sep);
    return 0;
}
