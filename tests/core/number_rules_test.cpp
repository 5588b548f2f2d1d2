// SPDX-License-Identifier: MIT
#include "core/number_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <optional>
#include <string>

namespace kerbview::core {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// What read() gives, or nullopt when it throws NumberError.
template <typename T = double, typename Read>
std::optional<T> OrNone(Read read) {
    try {
        return read();
    } catch (const NumberError&) {
        return std::nullopt;
    }
}

std::string WithComma(std::string text) {
    std::ranges::replace(text, '.', ',');
    return text;
}

TEST(NumberRules, ReadLeadingNumberTakesThePointWhateverTheLocale) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"", 0},          {"abc", 0},     {"  12abc", 12}, {"\t-3.5x", -3.5}, {"+7", 7},
        {".5", 0.5},      {"-.5", -0.5},  {"5.", 5},       {"1e3", 1000},     {"1E+2x", 100},
        {"2.5e-1", 0.25}, {"1e", 1},      {"1e+", 1},      {"0080", 80},      {"1,5", 1},
        {"- 5", 0},       {"1.2.3", 1.2}, {".", 0},        {"-", 0},          {"1 2", 1},
        {"x12", 0},       {"1.e2", 100},  {"1e999", kInf}, {"-1e999", -kInf}, {"1e-999", 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(ReadLeadingNumber(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(NumberRules, IntegerConversionRoundsHalvesToEvenAndRejectsOutOfRange) {
    constexpr std::optional<long long> X;  // NumberError
    struct Case {
        double value;
        std::optional<long long> int16, int32;
    };
    // clang-format off
    const Case cases[] = {
        {84.5, 84, 84}, {85.5, 86, 86}, {-0.5, 0, 0}, {-1.5, -2, -2}, {2.4999, 2, 2},
        {32767.4, 32767, 32767}, {32767.5, X, 32768}, {-32768.5, -32768, -32768},
        {-32769, X, -32769}, {2147483647.4, X, 2147483647}, {2147483647.5, X, X},
        {-2147483648.5, X, -2147483648LL}, {-2147483649.0, X, X}, {kNaN, X, X}, {kInf, X, X},
        {-kInf, X, X},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(OrNone<long long>([&] { return ToInt16(c.value); }), c.int16) << c.value;
        EXPECT_EQ(OrNone<long long>([&] { return ToInt32(c.value); }), c.int32) << c.value;
    }
}

TEST(NumberRules, TruthReadingTakesNumbersAndTrueFalseInAnyCase) {
    for (const char* t : {"True", "TRUE", "-1", "2.5", "1e3"}) EXPECT_TRUE(ReadTruth(t)) << t;
    for (const char* t : {" false ", "0", "+0"}) EXPECT_FALSE(ReadTruth(t)) << t;
    for (const char* t : {"", "yes", "1x", "truth", "0,5"}) {
        EXPECT_THROW(ReadTruth(t), NumberError) << '"' << t << '"';
    }
}

TEST(NumberRules, PicturesRoundHalvesAwayFromZeroInBothLocales) {
    using P = Picture;
    struct Case {
        double value;
        Picture picture;
        const char* point;  // the text with a point locale; the comma locale differs only there
    };
    // clang-format off
    const Case cases[] = {
        {0.5, P::PointZeroZero, ".50"}, {-49.5, P::PointZeroZero, "-49.50"},
        {static_cast<double>(45.3f), P::PointZeroZero, "45.30"}, {0.006, P::PointZeroZero, ".01"},
        {0.004, P::PointZeroZero, ".00"}, {9.995, P::PointZeroZero, "10.00"},
        {1234.5, P::PointZeroZero, "1234.50"}, {2.5, P::Zero, "3"}, {-2.5, P::Zero, "-3"},
        {0.4, P::Zero, "0"}, {0, P::Zero, "0"}, {1e20, P::Zero, "100000000000000000000"},
        {5, P::ZeroZero, "05"}, {-3, P::ZeroZero, "-03"}, {123.4, P::ZeroZero, "123"},
        {0, P::ZeroZero, "00"}, {0.05, P::ZeroPointZero, "0.1"}, {12.25, P::ZeroPointZero, "12.3"},
        {7, P::ZeroPointZero, "7.0"}, {0.0005, P::PointZeroZeroZero, ".001"},
        {1.2345, P::PointZeroZeroZero, "1.235"}, {0, P::PointZeroZeroZero, ".000"},
        {79, P::SixZeros, "000079"}, {1234567, P::SixZeros, "1234567"},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(FormatPicture(c.value, c.picture, '.'), c.point) << c.value;
        EXPECT_EQ(FormatPicture(c.value, c.picture, ','), WithComma(c.point)) << c.value;
    }
    EXPECT_THROW(FormatPicture(kNaN, P::Zero, '.'), NumberError);
    EXPECT_THROW(FormatPicture(kInf, P::PointZeroZero, '.'), NumberError);
}

TEST(NumberRules, SingleAndDoubleTextsHaveSevenAndFifteenDigitsAndTheExponentForm) {
    struct Case {
        double value;
        const char* point;
    };
    // clang-format off
    const Case singles[] = {
        {12.0, "12"}, {0, "0"}, {-0.0, "0"}, {45.3, "45.3"}, {-0.001, "-0.001"},
        {1234567, "1234567"}, {12345678, "1.234568E+07"}, {1.5e8, "1.5E+08"}, {0.0001, "0.0001"},
        {0.00001, "1E-05"}, {-2.5e-7, "-2.5E-07"}, {83.456, "83.456"}, {1.0 / 3, "0.3333333"},
        {3.4028235e38, "3.402823E+38"}, {1500, "1500"}, {100.5, "100.5"},
    };
    const Case doubles[] = {
        {0.1, "0.1"}, {123456789012345.0, "123456789012345"}, {1e15, "1E+15"},
        {1.0 / 3, "0.333333333333333"}, {0.0001, "0.0001"}, {1e-5, "1E-05"},
        {-2.5e-7, "-2.5E-07"}, {1e100, "1E+100"}, {1001.5, "1001.5"}, {80, "80"},
        {-12.125, "-12.125"}, {0.9999999999999999, "1"},
    };
    // clang-format on
    for (const Case& c : singles) {
        const float f = static_cast<float>(c.value);
        EXPECT_EQ(SingleText(f, '.'), c.point) << c.value;
        EXPECT_EQ(SingleText(f, ','), WithComma(c.point)) << c.value;
    }
    for (const Case& c : doubles) {
        EXPECT_EQ(DoubleText(c.value, '.'), c.point) << c.value;
        EXPECT_EQ(DoubleText(c.value, ','), WithComma(c.point)) << c.value;
    }
    EXPECT_THROW(SingleText(std::numeric_limits<float>::infinity(), '.'), NumberError);
    EXPECT_THROW(SingleText(std::numeric_limits<float>::quiet_NaN(), '.'), NumberError);
}

TEST(NumberRules, NumericTestAndParsingFollowTheLocaleSeparator) {
    constexpr std::optional<double> X;  // not a number
    struct Case {
        const char* text;
        std::optional<double> point, comma;  // value in a point and in a comma locale
    };
    // clang-format off
    const Case cases[] = {
        {"12", 12, 12}, {" 7 ", 7, 7}, {"1.5", 1.5, 15}, {"1,5", 15, 1.5},
        {"1,234.5", 1234.5, 1.2345},  // the other mark is digit grouping, wherever it stands
        {"1.234,5", 1.2345, 1234.5}, {"1e5", 1e5, 1e5}, {"-3", -3, -3}, {"+3", 3, 3},
        {"1,5E+08", 15e8, 1.5e8}, {"", X, X}, {" ", X, X}, {"abc", X, X}, {"1e", X, X},
        {"-", X, X}, {".", X, X}, {"12abc", X, X},
    };
    // clang-format on
    for (const Case& c : cases) {
        for (const auto& [sep, value] : {std::pair{'.', c.point}, std::pair{',', c.comma}}) {
            SCOPED_TRACE(std::string("\"") + c.text + "\" sep " + sep);
            EXPECT_EQ(IsNumeric(c.text, sep), value.has_value());
            EXPECT_EQ(OrNone([&] { return ParseDouble(c.text, sep); }), value);
        }
    }
    EXPECT_THROW(ParseDouble("1e400", '.'), NumberError);
    EXPECT_EQ(ParseDouble("1e-400", '.'), 0);
}

}  // namespace
}  // namespace kerbview::core
