// SPDX-License-Identifier: MIT
#include "frontends/win32/wide_text.h"

#include <gtest/gtest.h>

namespace kerbview::win32 {
namespace {

TEST(WideText, Windows1252ReachesTheWideFunctionsWhateverTheCodePage) {
    // The euro sign and the accented letters a driver's or a track's name holds.
    EXPECT_EQ(Wide("Pe\xf1"
                   "a \x80"
                   "5 \xc0"
                   "a"),
              L"Pe\u00f1a \u20ac5 \u00c0a");
    EXPECT_EQ(Narrow(L"Pe\u00f1a \u20ac5"),
              "Pe\xf1"
              "a \x80"
              "5");
    EXPECT_EQ(Narrow(L"\u4e2d1"), "?1") << "a character without a Windows-1252 byte";
    EXPECT_EQ(WideFromUtf8("C:\\Users\\J\xc3\xb6rg"), L"C:\\Users\\J\u00f6rg");
}

}  // namespace
}  // namespace kerbview::win32
