// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/error_report.h"

/// Rules for the server address and the port: the checks of the two address dialogs, the
/// normalisation of a stored port at start-up, and the texts the sockets are given. All pure;
/// the user's decimal separator is passed in.
namespace kerbview::core {

/// Outcome of the address check.
enum class IpCheck {
    Valid,
    Invalid,          // wrong length, a missing dot, or a group outside 0..255
    GroupNotNumeric,  // a group failed its number conversion: invalid, and reported as Valid_IP
};

/// The address check: exactly 15 characters, "." at characters 4, 8 and 12, and each of the
/// four 3-character groups a number by the locale's numeric test (blanks around its digits
/// allowed) from 0 to 255. Length and dots are checked first; then every group is converted,
/// and a group that does not convert gives GroupNotNumeric. Never throws.
IpCheck CheckIP(std::string_view text, char decimalSeparator);

/// Valid_IP: true only for a valid address. A group that is not a number is reported through
/// reporter under the name "Valid_IP" (silent unless debugging is on) and counts as invalid.
bool Valid_IP(std::string_view text, char decimalSeparator, ErrorReporter& reporter);

/// The port check of the address dialogs. Rejects a text that is not a number by the locale's
/// numeric test, and one whose leading number (point as the decimal mark) is above 65535 or
/// below 0. An accepted text gives the Port to store: the leading number as plain decimal
/// text, a fraction kept with the locale's separator ("0080" gives "80"). Never throws.
std::optional<std::string> CheckPort(std::string_view text, char decimalSeparator);

/// Port normalisation at start-up: the leading number of the stored text back to plain decimal
/// text ("0080" gives "80", "abc" gives "0", a fraction keeps its fraction with the locale's
/// separator). Unchecked otherwise. Throws NumberError only for a number too large for a double.
std::string PortSettingText(std::string_view stored, char decimalSeparator);

/// The port number for the sockets: Port read by the locale and converted to a 32-bit integer
/// (halves to even). Throws NumberError when Port is not a number or does not fit.
std::int32_t PortNumber(std::string_view port, char decimalSeparator);

/// The host text to connect to: the four 3-character groups at characters 1, 5, 9 and 13 of IP,
/// each as its leading number in plain decimal form (point as decimal mark, no blanks, no
/// leading zeros), joined with "." ("192.168.000.002" gives "192.168.0.2"). Never throws.
std::string HostFromIP(std::string_view ip);

}  // namespace kerbview::core
