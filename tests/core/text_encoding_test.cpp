// SPDX-License-Identifier: MIT
#include "core/text_encoding.h"

#include <gtest/gtest.h>

namespace kerbview::core {
namespace {

TEST(TextEncoding, Windows1252AndUtf8ConvertBothWays) {
    struct Case {
        const char* cp1252;
        const char* utf8;
    };
    const Case cases[] = {
        {"Espa\xF1ol", "Espa\xC3\xB1ol"},
        {"Catal\xE0", "Catal\xC3\xA0"},
        {"\x80", "\xE2\x82\xAC"},    // euro sign
        {"\x9F", "\xC5\xB8"},        // Y with diaeresis
        {"450\xBA", "450\xC2\xBA"},  // the ordinal sign the temperature units use
        {"plain", "plain"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8);
        EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252);
    }
    EXPECT_EQ(Cp1252ToUtf8("\x81"), "\xEF\xBF\xBD");      // unassigned byte
    EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");         // no Windows-1252 byte
    EXPECT_EQ(Utf8ToCp1252("Espa\xF1ol"), "Espa\xF1ol");  // not UTF-8: kept
}

TEST(TextEncoding, Utf8IsRecognisedOnlyWithAValidMultiByteSequence) {
    EXPECT_TRUE(LooksLikeUtf8("Espa\xC3\xB1ol"));
    EXPECT_FALSE(LooksLikeUtf8("plain ascii"));
    EXPECT_FALSE(LooksLikeUtf8("Espa\xF1ol"));
    EXPECT_FALSE(LooksLikeUtf8("\xC0\x80"));           // overlong
    EXPECT_FALSE(LooksLikeUtf8("\xED\xA0\x80"));       // surrogate
    EXPECT_FALSE(LooksLikeUtf8("\xC3\xB1 and \xF1"));  // mixed
    EXPECT_FALSE(LooksLikeUtf8("\xC3"));               // cut short
}

}  // namespace
}  // namespace kerbview::core
