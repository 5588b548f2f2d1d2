// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

/// Number and text rules shared by the settings loader, the panel read-outs and the wire format.
/// Every function here is pure: the decimal separator is always passed in, never read from a
/// global locale. Failures throw NumberError, which callers catch at their procedure boundary.
namespace kerbview::core {

/// A conversion that does not fit its target, or a text that is not a number.
class NumberError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Leading-number reading: skips leading blanks, reads an optional sign, digits and a point as
/// the decimal mark (whatever the locale) and an optional exponent, stops at the first character
/// that cannot continue the number. Text that does not begin with a number reads as 0.
double ReadLeadingNumber(std::string_view text);

/// Nearest integer, halves to the even neighbour (84.5 -> 84, 85.5 -> 86).
/// Throws NumberError when the result is outside -32768..32767 or the value is not a number.
std::int16_t ToInt16(double value);
/// As ToInt16, for the 32-bit signed range.
std::int32_t ToInt32(double value);

/// Truth reading: a number (0 false, anything else true) or True/False in any letter case,
/// blanks around it allowed. Anything else throws NumberError.
bool ReadTruth(std::string_view text);
/// The text form of a truth value: "True" or "False".
std::string TruthText(bool value);

/// Plain integer text: decimal digits, a leading "-" when negative.
std::string PlainText(long long value);

/// Numeric pictures used by the read-outs. Each "0" is a digit always printed, "." is the
/// decimal separator; the value is rounded half away from zero to the picture's decimals.
enum class Picture { Zero, ZeroZero, ZeroPointZero, PointZeroZero, PointZeroZeroZero, SixZeros };
/// Formats value with a picture; "." prints as decimalSeparator. A picture without a digit
/// before the point prints no integer digit when the integer part is 0 (0.5 with ".00" is ".50").
/// Never fails: a value that is not a number or is infinite throws NumberError.
std::string FormatPicture(double value, Picture picture, char decimalSeparator);

/// General text of a single: at most 7 significant digits, trailing zeros and a bare separator
/// dropped, exponent form ("1.5E+08", "1E-05") for very large and very small magnitudes.
std::string SingleText(float value, char decimalSeparator);
/// General text of a double: the same form with at most 15 significant digits.
std::string DoubleText(double value, char decimalSeparator);

/// True when text is a number by the locale's numeric test: blanks around, an optional sign,
/// digits with the locale's decimal separator and digit-grouping mark, an optional exponent.
bool IsNumeric(std::string_view text, char decimalSeparator);

/// Reads back a text written by SingleText/DoubleText (or typed by a user) with the locale's
/// decimal separator; the other of point/comma is taken as digit grouping and ignored.
/// Throws NumberError for an empty text, a text that is not a number, or (single) overflow.
double ParseDouble(std::string_view text, char decimalSeparator);
float ParseSingle(std::string_view text, char decimalSeparator);
/// Reads a number as ParseDouble does, then converts it with ToInt16.
std::int16_t ParseInteger(std::string_view text, char decimalSeparator);

/// Reads back a number written by SingleText/DoubleText/PlainText on another machine, whatever
/// its decimal separator: a point and a comma both count as the decimal mark (a written number
/// never holds digit grouping), so 95,5 from a comma locale reads as 95.5 in a point locale.
/// Throws NumberError as ParseDouble; the single and integer forms as ParseSingle/ParseInteger.
double ParseWireDouble(std::string_view text);
float ParseWireSingle(std::string_view text);
std::int16_t ParseWireInteger(std::string_view text);

/// Appends the shortest text that reads back to the same value, with a point as the decimal
/// mark whatever the locale (std::to_chars), for files other programs read (CSV exports). A
/// single is written as a single, so 93.807f gives "93.807". Never fails.
void AppendShortest(std::string& out, long long value);
void AppendShortest(std::string& out, float value);
void AppendShortest(std::string& out, double value);

}  // namespace kerbview::core
