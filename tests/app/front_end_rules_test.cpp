// SPDX-License-Identifier: MIT
#include "app/front_end_rules.h"

#include <gtest/gtest.h>

#include "core/temp_dir.h"

namespace kerbview::app {
namespace {

// A fault repeated every scan shows one box; another text, or the same after its box was
// closed, opens one. Only the box opened last is compared.
TEST(MessageBoxes, TheSameMessageStillOpenIsBroughtToTheFrontNotStacked) {
    using A = MessageBoxes::Action;
    struct Step {
        const char* line2;
        bool closedBefore;
        A action;
    };
    const Step steps[] = {{"refused", false, A::Open}, {"refused", false, A::Raise},
                          {"", false, A::Open},        {"", false, A::Raise},
                          {"refused", false, A::Open}, {"refused", true, A::Open}};
    MessageBoxes boxes;
    for (const Step& s : steps) {
        if (s.closedBefore) boxes.Closed();
        EXPECT_EQ(boxes.Show("Imposible abrir el proceso", s.line2), s.action) << s.line2;
        EXPECT_EQ(boxes.Text(),
                  std::string("Imposible abrir el proceso") + (*s.line2 ? "\n" : "") + s.line2);
    }
}

// The measurement scripts read the whole file each second: a shorter write leaves no tail.
TEST(StatsFile, EachWriteReplacesTheWholeFile) {
    core::testing::TempDir dir;
    ASSERT_TRUE(WriteStatsFile(dir.File("stats"), 123456, 1000, 999));
    EXPECT_EQ(dir.Read("stats"), "ms=123456\nsent=1000\npresented=999\n");
    ASSERT_TRUE(WriteStatsFile(dir.File("stats"), 2000, 5, 4));
    EXPECT_EQ(dir.Read("stats"), "ms=2000\nsent=5\npresented=4\n");
    EXPECT_FALSE(WriteStatsFile(dir.File("missing") / "stats", 1, 1, 1));
}

}  // namespace
}  // namespace kerbview::app
