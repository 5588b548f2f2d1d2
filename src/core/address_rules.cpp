// SPDX-License-Identifier: MIT
#include "core/address_rules.h"

#include <array>

#include "core/number_rules.h"

namespace kerbview::core {
namespace {

constexpr std::size_t kIpLength = 15;
constexpr std::array<std::size_t, 4> kGroupStarts = {0, 4, 8, 12};
constexpr std::size_t kGroupLength = 3;

std::string_view GroupAt(std::string_view ip, std::size_t start) {
    return start < ip.size() ? ip.substr(start, kGroupLength) : std::string_view();
}

}  // namespace

IpCheck CheckIP(std::string_view text, char decimalSeparator) {
    if (text.size() != kIpLength) return IpCheck::Invalid;
    if (text[3] != '.' || text[7] != '.' || text[11] != '.') return IpCheck::Invalid;
    // Every group is converted before any range test, so one group that is not a number fails
    // the whole check with a conversion error, whatever the other groups hold.
    std::array<double, 4> values{};
    for (std::size_t i = 0; i < kGroupStarts.size(); ++i) {
        try {
            values[i] = ParseDouble(GroupAt(text, kGroupStarts[i]), decimalSeparator);
        } catch (const NumberError&) {
            return IpCheck::GroupNotNumeric;
        }
    }
    for (double v : values) {
        if (v < 0 || v > 255) return IpCheck::Invalid;
    }
    return IpCheck::Valid;
}

bool Valid_IP(std::string_view text, char decimalSeparator, ErrorReporter& reporter) {
    IpCheck check = CheckIP(text, decimalSeparator);
    if (check == IpCheck::GroupNotNumeric)
        reporter.ReportError("Valid_IP", "an address group is not a number");
    return check == IpCheck::Valid;
}

std::optional<std::string> CheckPort(std::string_view text, char decimalSeparator) {
    if (!IsNumeric(text, decimalSeparator)) return std::nullopt;
    double port = ReadLeadingNumber(text);
    if (port > 65535 || port < 0) return std::nullopt;
    return DoubleText(port, decimalSeparator);
}

std::string PortSettingText(std::string_view stored, char decimalSeparator) {
    return DoubleText(ReadLeadingNumber(stored), decimalSeparator);
}

std::int32_t PortNumber(std::string_view port, char decimalSeparator) {
    return ToInt32(ParseDouble(port, decimalSeparator));
}

std::string HostFromIP(std::string_view ip) {
    std::string host;
    for (std::size_t start : kGroupStarts) {
        if (start != kGroupStarts.front()) host += '.';
        host += DoubleText(ReadLeadingNumber(GroupAt(ip, start)), '.');
    }
    return host;
}

}  // namespace kerbview::core
