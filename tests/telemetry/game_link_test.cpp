// SPDX-License-Identifier: MIT
#include "telemetry/game_link.h"

#include <gtest/gtest.h>

#include <functional>

#include "fake_platform.h"

namespace kerbview::telemetry {
namespace {

using testing::FakeProcessMemory;
using testing::FakeWindowFinder;
using testing::LinkRecord;

struct LinkRig {
    explicit LinkRig(std::int16_t scanTime = 500) { link.SetScanTime(scanTime); }

    int TicksUntilRunning() { return record.TicksUntilRunning(link); }
    bool Tick() { return record.Tick(link); }

    FakeWindowFinder windows;
    FakeProcessMemory memory;
    core::ErrorReporter reporter;
    LinkRecord record;
    GameLink link{windows, memory, reporter};
};

TEST(GameLink, AppearanceDelayAndGraceCountTicksFromScanTimeAndTheGraceKeepsTheHandle) {
    struct Case {
        std::int16_t scanTime;
        int delayTicks;  // false ticks before the process is opened
        int graceTicks;  // true ticks after the window vanished
    };
    for (const Case c : {Case{500, 7, 3}, Case{150, 24, 10}, Case{10, 350, 150}}) {
        SCOPED_TRACE(c.scanTime);
        LinkRig rig(c.scanTime);
        rig.windows.window = 77;
        EXPECT_EQ(rig.TicksUntilRunning(), c.delayTicks);
        EXPECT_TRUE(rig.Tick());  // running: stays true, no second open
        EXPECT_EQ(rig.memory.opens, 1);

        rig.windows.window = 0;
        int graceTicks = 0;
        for (; rig.Tick() && graceTicks < 10000; ++graceTicks) {
            ASSERT_EQ(rig.memory.openReaders, 1) << "handle released during the grace";
        }
        EXPECT_EQ(graceTicks, c.graceTicks);
        EXPECT_EQ(rig.memory.openReaders, 0);
    }
}

// A window lost during its appearance delay restarts the delay; once the simulator runs, a
// one-tick gap keeps the handle, and so does a new window of the same process. A simulator
// restarted within the grace shows a window of a new process: the dead one is let go, and the
// new one is read only after its own appearance delay.
TEST(GameLink, AGapRestartsOnlyTheDelayAndAWindowOfAnotherProcessReleasesTheHeldOne) {
    LinkRig rig;
    rig.windows.window = 77;
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(rig.Tick());
    rig.windows.window = 0;
    EXPECT_FALSE(rig.Tick());
    rig.windows.window = 77;
    EXPECT_EQ(rig.TicksUntilRunning(), 7);
    for (const WindowId window : {0, 77, 0, 78}) {
        rig.windows.window = window;
        EXPECT_TRUE(rig.Tick()) << window;
    }
    EXPECT_EQ(rig.link.AttachCounter(), 0);
    EXPECT_EQ(rig.memory.opens, 1);
    EXPECT_EQ(rig.memory.openReaders, 1);

    rig.windows.window = 79, rig.windows.processId = 5555;
    EXPECT_EQ(rig.TicksUntilRunning(), 7);
    EXPECT_EQ(rig.memory.opens, 2);
    EXPECT_EQ(rig.memory.lastProcessId, 5555u);
    EXPECT_EQ(rig.memory.openReaders, 1);
    using enum LinkStatus;
    EXPECT_EQ(rig.record.statuses, (std::vector{NotRunning, Running, NotRunning, Running}));
}

TEST(GameLink, OpenFailureBoxShownOncePerAppearanceWhileRetryingSilently) {
    LinkRig rig;
    rig.memory.refuse = true;
    rig.memory.image->Double(0x1000, 5.0);
    rig.windows.window = 77;

    EXPECT_EQ(rig.TicksUntilRunning(), 7);
    EXPECT_EQ(rig.record.failures, std::vector<std::string>{"no permission"});
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(rig.Tick()) << "open failure still counts as running";
    EXPECT_EQ(rig.memory.opens, 6) << "every tick retries the open";
    EXPECT_EQ(rig.record.failures.size(), 1u) << "a box per retry locks the user in";

    rig.memory.refuse = false;
    EXPECT_TRUE(rig.Tick());
    EXPECT_TRUE(rig.link.HoldsProcessHandle());
    EXPECT_EQ(rig.link.Readers().ReadMemoryDouble(0x1000), 5.0);

    // A new appearance of the window may show the box again.
    rig.memory.refuse = true;
    rig.windows.window = 0;
    while (rig.Tick()) {
    }
    rig.windows.window = 78;
    rig.TicksUntilRunning();
    EXPECT_EQ(rig.record.failures.size(), 2u);

    rig.link.ResetGameLink();
    rig.TicksUntilRunning();
    EXPECT_EQ(rig.record.failures.size(), 3u) << "a link reset starts a new appearance";
}

// A process that has ended, or that holds no telemetry, is let go at once (no grace of zero
// readings), no open is tried on a window it left behind (so no open failure either), and its
// window never hides another one with the title, which is attached after its own delay.
TEST(GameLink, EndedOrForeignProcessIsLetGoAtOnceAndItsWindowNeverHidesAnother) {
    struct Case {
        const char* what;
        bool endsBeforeItIsOpened;
        std::function<void(LinkRig&)> end;
    };
    const Case cases[] = {
        {"ended in the grace", false,
         [](LinkRig& r) { r.windows.window = 0, r.memory.ended.insert(4242); }},
        {"ended, its window still shown", false, [](LinkRig& r) { r.memory.ended.insert(4242); }},
        {"ended before it was opened", true, [](LinkRig& r) { r.memory.ended.insert(4242); }},
        {"a scan of it read nothing", false,
         [](LinkRig& r) { EXPECT_EQ(r.link.PassOverProcess(), 4242u); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LinkRig rig;
        rig.windows.window = 77;
        if (c.endsBeforeItIsOpened) c.end(rig);
        EXPECT_EQ(rig.TicksUntilRunning() < 10000, !c.endsBeforeItIsOpened);
        if (!c.endsBeforeItIsOpened) c.end(rig);
        const int opens = rig.memory.opens;
        for (int tick = 0; tick < 10; ++tick) EXPECT_FALSE(rig.Tick()) << tick;
        EXPECT_EQ(rig.record.statuses.back(), LinkStatus::NotRunning);
        EXPECT_EQ(rig.memory.opens, opens) << "an open was tried on the window left behind";
        EXPECT_EQ(rig.memory.openReaders, 0);
        EXPECT_TRUE(rig.record.failures.empty());

        rig.windows.later = {{78, 5555}};
        EXPECT_EQ(rig.TicksUntilRunning(), 7);
        EXPECT_EQ(rig.memory.lastProcessId, 5555u);
    }
}

TEST(GameLink, ScanTimeZeroIsReportedAndCountsAsNotRunning) {
    LinkRig rig(0);
    rig.windows.window = 77;
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(rig.Tick());
    EXPECT_EQ(rig.reporter.ErrorProc(), "RACE07_Actiu");
    EXPECT_EQ(rig.memory.opens, 0);
}

}  // namespace
}  // namespace kerbview::telemetry
