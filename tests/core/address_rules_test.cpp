// SPDX-License-Identifier: MIT
#include "core/address_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/number_rules.h"

namespace kerbview::core {
namespace {

// The host the sockets are given drops the leading zeros and blanks of each group, whatever
// the check says of the address.
TEST(AddressRules, AddressNeedsThreeDigitGroupsFromZeroTo255AndItsHostDropsLeadingZeros) {
    struct Case {
        const char* text;
        IpCheck check;               // the same with a point and with a comma locale
        const char* host = nullptr;  // nullptr: the case checks no host
    };
    constexpr IpCheck V = IpCheck::Valid, I = IpCheck::Invalid, N = IpCheck::GroupNotNumeric;
    // clang-format off
    const Case cases[] = {
        {"192.168.000.002", V}, {"010.000.000.001", V}, {"255.255.255.255", V},
        {" 12.168.000.002", V, "12.168.0.2"},  // blanks around a group's digits
        {"12 .168.000.002", V}, {"1e2.168.000.002", V},  // 100
        {"1.5.168.000.002", V, "1.5.168.0.2"},  // 1.5 with a point, 15 with a comma
        {"192.168.0.2", I}, {"192.168.000.0020", I}, {"abc", I},  // length first
        {"", I, "0.0.0.0"}, {"127.0", I, "127.0.0.0"}, {"192.168.000.256", I},
        {"300.168.000.002", I}, {"-01.168.000.002", I}, {"192-168-000-002", I},  // no dots
        {"abc.168.000.002", N, "0.168.0.2"}, {"192.168.000.   ", N}, {"192.168.0x0.002", N},
        {"1,5.168.000.002", V}, {"9,9.168.000.002", V},  // 15 with a point, 1.5 with a comma
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(CheckIP(c.text, '.'), c.check) << '"' << c.text << '"';
        EXPECT_EQ(CheckIP(c.text, ','), c.check) << '"' << c.text << '"';
        if (c.host) {
            EXPECT_EQ(HostFromIP(c.text), c.host) << '"' << c.text << '"';
        }
    }
}

// What start-up makes of a stored port is SettingsLoad's table; here: the dialogs' check and the
// number the sockets are given.
TEST(AddressRules, PortCheckAcceptsZeroTo65535AndThePortNumberRoundsHalfToEven) {
    struct Case {
        const char* text;
        std::optional<std::string> point;  // Port stored in a point locale; nullopt: rejected
        std::optional<std::string> comma;
    };
    const std::optional<std::string> X;
    // clang-format off
    const Case cases[] = {
        {"0", "0", "0"}, {"65535", "65535", "65535"}, {"0080", "80", "80"},
        {" 1001 ", "1001", "1001"}, {"1e3", "1000", "1000"},
        {"1001.5", "1001.5", "1001,5"},  // a comma locale takes the point as grouping: numeric
        {"1001,5", "1001", "1001"},      // the leading number stops at the comma
        {"65535.4", X, X}, {"65536", X, X}, {"-1", X, X}, {"abc", X, X}, {"", X, X}, {"80x", X, X},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(CheckPort(c.text, '.'), c.point) << '"' << c.text << '"';
        EXPECT_EQ(CheckPort(c.text, ','), c.comma) << '"' << c.text << '"';
    }
    EXPECT_EQ(PortNumber("1001.5", '.'), 1002);
    EXPECT_EQ(PortNumber("1002,5", ','), 1002);
    EXPECT_THROW(PortNumber("", '.'), NumberError);
}

}  // namespace
}  // namespace kerbview::core
