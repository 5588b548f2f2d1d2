// SPDX-License-Identifier: MIT
#include "core/number_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace kerbview::core {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

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
        {"x12", 0},       {"1.e2", 100},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadLeadingNumber(c.text), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(ReadLeadingNumber("1e999"), kInf);
    EXPECT_EQ(ReadLeadingNumber("-1e999"), -kInf);
    EXPECT_EQ(ReadLeadingNumber("1e-999"), 0);
}

TEST(NumberRules, IntegerConversionRoundsHalvesToEvenAndRejectsOutOfRange) {
    struct Case {
        double value;
        std::optional<long long> int16;  // nullopt: NumberError
        std::optional<long long> int32;
    };
    const Case cases[] = {
        {84.5, 84, 84},
        {85.5, 86, 86},
        {-0.5, 0, 0},
        {-1.5, -2, -2},
        {2.4999, 2, 2},
        {32767.4, 32767, 32767},
        {32767.5, std::nullopt, 32768},
        {-32768.5, -32768, -32768},
        {-32769, std::nullopt, -32769},
        {2147483647.4, std::nullopt, 2147483647},
        {2147483647.5, std::nullopt, std::nullopt},
        {-2147483648.5, std::nullopt, -2147483648LL},
        {-2147483649.0, std::nullopt, std::nullopt},
        {kNaN, std::nullopt, std::nullopt},
        {kInf, std::nullopt, std::nullopt},
        {-kInf, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        if (c.int16) {
            EXPECT_EQ(ToInt16(c.value), *c.int16) << c.value;
        } else {
            EXPECT_THROW(ToInt16(c.value), NumberError) << c.value;
        }
        if (c.int32) {
            EXPECT_EQ(ToInt32(c.value), *c.int32) << c.value;
        } else {
            EXPECT_THROW(ToInt32(c.value), NumberError) << c.value;
        }
    }
}

TEST(NumberRules, TruthReadingTakesNumbersAndTrueFalseInAnyCase) {
    struct Case {
        const char* text;
        std::optional<bool> expected;  // nullopt: NumberError
    };
    const Case cases[] = {
        {"True", true},
        {"true", true},
        {"TRUE", true},
        {" false ", false},
        {"False", false},
        {"1", true},
        {"0", false},
        {"-1", true},
        {"0.0", false},
        {"2.5", true},
        {"1e3", true},
        {"+0", false},
        {"", std::nullopt},
        {"yes", std::nullopt},
        {"1x", std::nullopt},
        {"truth", std::nullopt},
        {"#TRUE#", std::nullopt},
        {"0,5", std::nullopt},
    };
    for (const Case& c : cases) {
        if (c.expected) {
            EXPECT_EQ(ReadTruth(c.text), *c.expected) << '"' << c.text << '"';
        } else {
            EXPECT_THROW(ReadTruth(c.text), NumberError) << '"' << c.text << '"';
        }
    }
    EXPECT_EQ(TruthText(true), "True");
    EXPECT_EQ(TruthText(false), "False");
}

TEST(NumberRules, PlainTextIsDigitsWithALeadingMinus) {
    EXPECT_EQ(PlainText(0), "0");
    EXPECT_EQ(PlainText(12), "12");
    EXPECT_EQ(PlainText(-1), "-1");
    EXPECT_EQ(PlainText(-2147483648LL), "-2147483648");
}

TEST(NumberRules, PicturesRoundHalvesAwayFromZeroInBothLocales) {
    struct Case {
        double value;
        Picture picture;
        const char* point;  // the text with a point locale; the comma locale differs only there
    };
    const Case cases[] = {
        {0.5, Picture::PointZeroZero, ".50"},
        {-49.5, Picture::PointZeroZero, "-49.50"},
        {static_cast<double>(45.3f), Picture::PointZeroZero, "45.30"},
        {0.006, Picture::PointZeroZero, ".01"},
        {0.004, Picture::PointZeroZero, ".00"},
        {9.995, Picture::PointZeroZero, "10.00"},
        {1234.5, Picture::PointZeroZero, "1234.50"},
        {2.5, Picture::Zero, "3"},
        {-2.5, Picture::Zero, "-3"},
        {0.4, Picture::Zero, "0"},
        {0, Picture::Zero, "0"},
        {1e20, Picture::Zero, "100000000000000000000"},
        {5, Picture::ZeroZero, "05"},
        {-3, Picture::ZeroZero, "-03"},
        {123.4, Picture::ZeroZero, "123"},
        {0, Picture::ZeroZero, "00"},
        {0.05, Picture::ZeroPointZero, "0.1"},
        {12.25, Picture::ZeroPointZero, "12.3"},
        {7, Picture::ZeroPointZero, "7.0"},
        {0.0005, Picture::PointZeroZeroZero, ".001"},
        {1.2345, Picture::PointZeroZeroZero, "1.235"},
        {0, Picture::PointZeroZeroZero, ".000"},
        {79, Picture::SixZeros, "000079"},
        {1234567, Picture::SixZeros, "1234567"},
    };
    for (const Case& c : cases) {
        std::string comma = c.point;
        for (char& ch : comma) {
            if (ch == '.') ch = ',';
        }
        EXPECT_EQ(FormatPicture(c.value, c.picture, '.'), c.point) << c.value;
        EXPECT_EQ(FormatPicture(c.value, c.picture, ','), comma) << c.value;
    }
    EXPECT_THROW(FormatPicture(kNaN, Picture::Zero, '.'), NumberError);
    EXPECT_THROW(FormatPicture(kInf, Picture::PointZeroZero, '.'), NumberError);
}

struct GeneralCase {
    double value;
    const char* point;
};

std::string WithComma(std::string text) {
    for (char& ch : text) {
        if (ch == '.') ch = ',';
    }
    return text;
}

TEST(NumberRules, SingleTextHasSevenSignificantDigitsAndTheExponentForm) {
    const GeneralCase cases[] = {
        {12.0, "12"},
        {0, "0"},
        {-0.0, "0"},
        {45.3, "45.3"},
        {-0.001, "-0.001"},
        {1234567, "1234567"},
        {12345678, "1.234568E+07"},
        {1.5e8, "1.5E+08"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {-2.5e-7, "-2.5E-07"},
        {83.456, "83.456"},
        {1.0 / 3, "0.3333333"},
        {3.4028235e38, "3.402823E+38"},
        {1500, "1500"},
        {100.5, "100.5"},
    };
    for (const GeneralCase& c : cases) {
        float f = static_cast<float>(c.value);
        EXPECT_EQ(SingleText(f, '.'), c.point) << c.value;
        EXPECT_EQ(SingleText(f, ','), WithComma(c.point)) << c.value;
    }
    EXPECT_THROW(SingleText(std::numeric_limits<float>::infinity(), '.'), NumberError);
    EXPECT_THROW(SingleText(std::numeric_limits<float>::quiet_NaN(), '.'), NumberError);
}

TEST(NumberRules, DoubleTextHasFifteenSignificantDigitsAndTheExponentForm) {
    const GeneralCase cases[] = {
        {0.1, "0.1"},          {123456789012345.0, "123456789012345"},
        {1e15, "1E+15"},       {1.0 / 3, "0.333333333333333"},
        {0.0001, "0.0001"},    {1e-5, "1E-05"},
        {-2.5e-7, "-2.5E-07"}, {1e100, "1E+100"},
        {1001.5, "1001.5"},    {80, "80"},
        {-12.125, "-12.125"},  {0.9999999999999999, "1"},
    };
    for (const GeneralCase& c : cases) {
        EXPECT_EQ(DoubleText(c.value, '.'), c.point) << c.value;
        EXPECT_EQ(DoubleText(c.value, ','), WithComma(c.point)) << c.value;
    }
}

TEST(NumberRules, GeneralTextReadsBackToTheSameNumberInBothLocales) {
    const float singles[] = {0,     12,       45.3f,   -0.001f, 1234567, 1.5e8f,
                             1e-5f, -2.5e-7f, 83.456f, 0.1f,    1e30f,   -3.402823e38f};
    const double doubles[] = {0.1, 123456789012345.0, 1e15, 1e-5, -2.5e-7, 1e100, 1001.5};
    for (char sep : {'.', ','}) {
        for (float f : singles) {
            EXPECT_EQ(ParseSingle(SingleText(f, sep), sep), f) << f << " sep " << sep;
        }
        for (double d : doubles) {
            EXPECT_EQ(ParseDouble(DoubleText(d, sep), sep), d) << d << " sep " << sep;
        }
    }
}

TEST(NumberRules, NumericTestAndParsingFollowTheLocaleSeparator) {
    struct Case {
        const char* text;
        std::optional<double> point;  // value in a point locale; nullopt: not a number
        std::optional<double> comma;  // value in a comma locale
    };
    const Case cases[] = {
        {"12", 12, 12},
        {" 7 ", 7, 7},
        {"1.5", 1.5, 15},
        {"1,5", 15, 1.5},
        {"1,234.5", 1234.5, 1.2345},  // the other mark is digit grouping, wherever it stands
        {"1.234,5", 1.2345, 1234.5},
        {"1e5", 1e5, 1e5},
        {"-3", -3, -3},
        {"+3", 3, 3},
        {"1,5E+08", 15e8, 1.5e8},
        {"", std::nullopt, std::nullopt},
        {" ", std::nullopt, std::nullopt},
        {"abc", std::nullopt, std::nullopt},
        {"1e", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
        {".", std::nullopt, std::nullopt},
        {"12abc", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsNumeric(c.text, '.'), c.point.has_value()) << '"' << c.text << '"';
        EXPECT_EQ(IsNumeric(c.text, ','), c.comma.has_value()) << '"' << c.text << '"';
        if (c.point) {
            EXPECT_DOUBLE_EQ(ParseDouble(c.text, '.'), *c.point) << c.text;
        } else {
            EXPECT_THROW(ParseDouble(c.text, '.'), NumberError) << c.text;
        }
        if (c.comma) {
            EXPECT_DOUBLE_EQ(ParseDouble(c.text, ','), *c.comma) << c.text;
        } else {
            EXPECT_THROW(ParseDouble(c.text, ','), NumberError) << c.text;
        }
    }
    EXPECT_THROW(ParseDouble("1e400", '.'), NumberError);
    EXPECT_EQ(ParseDouble("1e-400", '.'), 0);
    EXPECT_THROW(ParseSingle("1e39", '.'), NumberError);
    EXPECT_EQ(ParseInteger("84.5", '.'), 84);
    EXPECT_EQ(ParseInteger("85,5", ','), 86);
    EXPECT_THROW(ParseInteger("40000", '.'), NumberError);
}

}  // namespace
}  // namespace kerbview::core
