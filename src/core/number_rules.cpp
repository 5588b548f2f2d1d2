// SPDX-License-Identifier: MIT
#include "core/number_rules.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "core/ascii_case.h"

namespace kerbview::core {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view t) {
    while (!t.empty() && IsBlank(t.front())) t.remove_prefix(1);
    while (!t.empty() && IsBlank(t.back())) t.remove_suffix(1);
    return t;
}

// Length of the longest prefix of t that is a number: [sign] digits [. digits] [e [sign] digits],
// with at least one digit in the mantissa. 0 when t does not start with a number.
std::size_t NumberPrefix(std::string_view t) {
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
        std::size_t expDigits = 0;
        while (j < t.size() && IsDigit(t[j])) ++j, ++expDigits;
        if (expDigits > 0) i = j;
    }
    return i;
}

// Converts a validated number text (point as decimal mark) to double, locale-independent.
double ToDouble(std::string_view t) {
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    double v = 0;
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec == std::errc::result_out_of_range) {
        // Overflow reads as infinity with its sign; underflow as zero.
        bool neg = !t.empty() && t.front() == '-';
        std::size_t e = t.find_first_of("eE");
        bool tiny = e != std::string_view::npos && e + 1 < t.size() && t[e + 1] == '-';
        if (tiny) return neg ? -0.0 : 0.0;
        return neg ? -std::numeric_limits<double>::infinity()
                   : std::numeric_limits<double>::infinity();
    }
    if (ec != std::errc() || ptr != t.data() + t.size()) {
        throw NumberError("not a number");
    }
    return v;
}

// A finite double as 15 significant decimal digits: value = 0.d1d2...d15 x 10^point.
struct Decimal {
    bool negative = false;
    std::string digits;  // without leading zeros, except for zero itself ("0")
    int point = 0;       // digits before the decimal point
};

Decimal ToDecimal(double value, int significant) {
    char buf[64];
    auto res =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, significant - 1);
    std::string_view s(buf, static_cast<std::size_t>(res.ptr - buf));
    Decimal d;
    if (s.front() == '-') {
        d.negative = true;
        s.remove_prefix(1);
    }
    std::size_t e = s.find('e');
    for (char c : s.substr(0, e)) {
        if (IsDigit(c)) d.digits.push_back(c);
    }
    int exp = std::atoi(std::string(s.substr(e + 1)).c_str());
    d.point = exp + 1;
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits == "0") d.point = 1;
    return d;
}

// Rounds the digit string half away from zero so that at most `decimals` digits follow the point.
void RoundDecimals(Decimal& d, int decimals) {
    int keep = d.point + decimals;  // digits to keep
    if (keep >= static_cast<int>(d.digits.size())) return;
    if (keep < 0) {
        d.digits.assign(1, '0');
        d.point = 1;
        return;
    }
    bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            // Built anew rather than inserted: GCC 12 warns falsely on a front insert here.
            std::string carried(1, '1');
            carried += d.digits;
            d.digits.swap(carried);
            ++d.point;
        } else {
            ++d.digits[static_cast<std::size_t>(i)];
        }
    }
    if (d.digits.empty()) {
        d.digits.assign(1, '0');
        d.point = 1;
    }
}

char DigitAt(const Decimal& d, int index) {  // index 0 is the first digit of d.digits
    if (index < 0 || index >= static_cast<int>(d.digits.size())) return '0';
    return d.digits[static_cast<std::size_t>(index)];
}

std::string GeneralText(double value, int significant, char sep) {
    if (std::isnan(value)) throw NumberError("not a number");
    if (std::isinf(value)) throw NumberError("overflow");
    if (value == 0) return "0";
    Decimal d = ToDecimal(value, significant);
    std::string out = d.negative ? "-" : "";
    int exp = d.point - 1;
    if (exp >= significant || exp < -4) {
        out += d.digits[0];
        if (d.digits.size() > 1) {
            out += sep;
            out.append(d.digits, 1);
        }
        out += 'E';
        out += exp < 0 ? '-' : '+';
        int a = std::abs(exp);
        if (a < 10) out += '0';
        out += std::to_string(a);
        return out;
    }
    if (d.point <= 0) {
        out += '0';
        out += sep;
        out.append(static_cast<std::size_t>(-d.point), '0');
        out += d.digits;
        return out;
    }
    for (int i = 0; i < d.point; ++i) out += DigitAt(d, i);
    if (static_cast<int>(d.digits.size()) > d.point) {
        out += sep;
        out.append(d.digits, static_cast<std::size_t>(d.point));
    }
    return out;
}

}  // namespace

double ReadLeadingNumber(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    std::size_t n = NumberPrefix(text);
    if (n == 0) return 0;
    return ToDouble(text.substr(0, n));
}

std::int16_t ToInt16(double value) {
    double r = std::nearbyint(value);
    if (!(r >= -32768.0 && r <= 32767.0)) throw NumberError("overflow");
    return static_cast<std::int16_t>(r);
}

std::int32_t ToInt32(double value) {
    double r = std::nearbyint(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw NumberError("overflow");
    return static_cast<std::int32_t>(r);
}

bool ReadTruth(std::string_view text) {
    std::string_view t = Trim(text);
    if (EqualsIgnoringAsciiCase(t, "true")) return true;
    if (EqualsIgnoringAsciiCase(t, "false")) return false;
    if (t.empty() || NumberPrefix(t) != t.size()) throw NumberError("type mismatch");
    return ToDouble(t) != 0;
}

std::string TruthText(bool value) { return value ? "True" : "False"; }

std::string PlainText(long long value) { return std::to_string(value); }

std::string FormatPicture(double value, Picture picture, char decimalSeparator) {
    if (std::isnan(value)) throw NumberError("not a number");
    if (std::isinf(value)) throw NumberError("overflow");
    int minInt = 1;
    int decimals = 0;
    switch (picture) {
        case Picture::Zero: break;
        case Picture::ZeroZero: minInt = 2; break;
        case Picture::ZeroPointZero: decimals = 1; break;
        case Picture::PointZeroZero: minInt = 0, decimals = 2; break;
        case Picture::PointZeroZeroZero: minInt = 0, decimals = 3; break;
        case Picture::SixZeros: minInt = 6; break;
    }
    Decimal d = ToDecimal(value, 15);
    RoundDecimals(d, decimals);
    std::string intPart;
    for (int i = 0; i < d.point; ++i) intPart += DigitAt(d, i);
    std::size_t firstNonZero = intPart.find_first_not_of('0');
    intPart = firstNonZero == std::string::npos ? "" : intPart.substr(firstNonZero);
    if (static_cast<int>(intPart.size()) < minInt) {
        intPart.insert(0, static_cast<std::size_t>(minInt) - intPart.size(), '0');
    }
    std::string out = value < 0 ? "-" : "";
    out += intPart;
    if (decimals > 0) {
        out += decimalSeparator;
        for (int i = 0; i < decimals; ++i) out += DigitAt(d, d.point + i);
    }
    return out;
}

std::string SingleText(float value, char decimalSeparator) {
    return GeneralText(static_cast<double>(value), 7, decimalSeparator);
}

std::string DoubleText(double value, char decimalSeparator) {
    return GeneralText(value, 15, decimalSeparator);
}

namespace {
// The text with blanks trimmed, digit grouping removed and the locale separator turned into a
// point; empty when it is not a number by the locale's numeric test.
std::string Normalise(std::string_view text, char sep) {
    const char grouping = sep == ',' ? '.' : ',';
    std::string t;
    for (char c : Trim(text)) {
        if (c == grouping) continue;
        t += c == sep ? '.' : c;
    }
    if (t.empty() || NumberPrefix(t) != t.size()) return {};
    return t;
}
}  // namespace

bool IsNumeric(std::string_view text, char decimalSeparator) {
    return !Normalise(text, decimalSeparator).empty();
}

double ParseDouble(std::string_view text, char decimalSeparator) {
    std::string t = Normalise(text, decimalSeparator);
    if (t.empty()) throw NumberError("type mismatch");
    double v = ToDouble(t);
    if (std::isinf(v)) throw NumberError("overflow");
    return v;
}

float ParseSingle(std::string_view text, char decimalSeparator) {
    double v = ParseDouble(text, decimalSeparator);
    if (std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max())) {
        throw NumberError("overflow");
    }
    return static_cast<float>(v);
}

std::int16_t ParseInteger(std::string_view text, char decimalSeparator) {
    return ToInt16(ParseDouble(text, decimalSeparator));
}

// A wire text never holds digit grouping, so a comma can only be the sender's decimal mark.
double ParseWireDouble(std::string_view text) {
    std::string t(text);
    for (char& c : t) {
        if (c == ',') c = '.';
    }
    return ParseDouble(t, '.');
}

float ParseWireSingle(std::string_view text) {
    const double v = ParseWireDouble(text);
    if (std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max())) {
        throw NumberError("overflow");
    }
    return static_cast<float>(v);
}

std::int16_t ParseWireInteger(std::string_view text) { return ToInt16(ParseWireDouble(text)); }

namespace {

template <typename T>
void AppendCharsOf(std::string& out, T value) {
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, value);
    out.append(text, r.ptr);
}

}  // namespace

void AppendShortest(std::string& out, long long value) { AppendCharsOf(out, value); }
void AppendShortest(std::string& out, float value) { AppendCharsOf(out, value); }
void AppendShortest(std::string& out, double value) { AppendCharsOf(out, value); }

}  // namespace kerbview::core
