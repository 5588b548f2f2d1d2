// SPDX-License-Identifier: MIT
#include "core/address_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/number_rules.h"

namespace kerbview::core {
namespace {

TEST(AddressRules, AddressNeedsThreeDigitGroupsFromZeroTo255InBothLocales) {
    struct Case {
        const char* text;
        IpCheck point;
        IpCheck comma;
    };
    constexpr IpCheck V = IpCheck::Valid, I = IpCheck::Invalid, N = IpCheck::GroupNotNumeric;
    // clang-format off
    const Case cases[] = {
        {"192.168.000.002", V, V}, {"010.000.000.001", V, V}, {"255.255.255.255", V, V},
        {" 12.168.000.002", V, V}, {"12 .168.000.002", V, V},  // blanks around a group's digits
        {"1e2.168.000.002", V, V},  // 100
        {"192.168.0.2", I, I},      // too short
        {"192.168.000.256", I, I}, {"300.168.000.002", I, I},  // group above 255
        {"192-168-000-002", I, I},  // no dots
        {"-01.168.000.002", I, I},  // below 0
        {"abc", I, I},              // the length fails first: nothing converted
        {"", I, I}, {"192.168.000.0020", I, I},
        {"abc.168.000.002", N, N}, {"192.168.000.   ", N, N}, {"192.168.0x0.002", N, N},
        {"1,5.168.000.002", V, V}, {"9,9.168.000.002", V, V},  // 15 with a point, 1.5 with a comma
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(CheckIP(c.text, '.'), c.point) << '"' << c.text << '"';
        EXPECT_EQ(CheckIP(c.text, ','), c.comma) << '"' << c.text << '"';
    }
}

TEST(AddressRules, ValidIpReportsOnlyAGroupThatIsNotANumber) {
    ErrorReporter reporter;
    std::vector<std::string> procedures;
    reporter.SetSink([&](const ErrorReport& r) { procedures.push_back(r.procedure); });
    EXPECT_FALSE(Valid_IP("192.168.000.256", '.', reporter));
    EXPECT_TRUE(Valid_IP("192.168.000.002", '.', reporter));
    EXPECT_TRUE(procedures.empty());
    EXPECT_FALSE(Valid_IP("192.168.000.x02", '.', reporter));
    EXPECT_EQ(procedures, std::vector<std::string>{"Valid_IP"});
}

TEST(AddressRules, PortCheckAcceptsZeroTo65535AndStoresThePlainNumber) {
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
}

TEST(AddressRules, StoredPortIsTheLeadingNumberAndThePortNumberRoundsHalfToEven) {
    struct Case {
        const char* text;
        char sep;
        const char* stored;
    };
    const Case cases[] = {{"0080", '.', "80"},         {"abc", '.', "0"},         {"", '.', "0"},
                          {" 1001.5x", '.', "1001.5"}, {"1001.5", ',', "1001,5"}, {"-5", '.', "-5"},
                          {"99999", '.', "99999"}};
    for (const Case& c : cases) EXPECT_EQ(PortSettingText(c.text, c.sep), c.stored) << c.text;
    EXPECT_THROW(PortSettingText("1e999", '.'), NumberError);
    EXPECT_EQ(PortNumber("1001", '.'), 1001);
    EXPECT_EQ(PortNumber("1001.5", '.'), 1002);
    EXPECT_EQ(PortNumber("1002,5", ','), 1002);
    EXPECT_THROW(PortNumber("abc", '.'), NumberError);
    EXPECT_THROW(PortNumber("", '.'), NumberError);
}

TEST(AddressRules, HostTextDropsLeadingZerosAndBlanksOfEachGroup) {
    struct Case {
        const char* ip;
        const char* host;
    };
    const Case cases[] = {{"192.168.000.002", "192.168.0.2"},
                          {" 12.168.000.002", "12.168.0.2"},
                          {"010.000.000.001", "10.0.0.1"},
                          {"1.5.168.000.002", "1.5.168.0.2"},
                          {"abc.168.000.002", "0.168.0.2"},
                          {"", "0.0.0.0"},
                          {"127.0", "127.0.0.0"}};
    for (const Case& c : cases) EXPECT_EQ(HostFromIP(c.ip), c.host) << '"' << c.ip << '"';
}

}  // namespace
}  // namespace kerbview::core
