// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "core/child_process.h"
#include "fake_platform.h"
#include "telemetry/acquisition.h"
#include "telemetry/game_link.h"
#include "telemetry/platform.h"

namespace kerbview::telemetry::testing {

/// Waits up to 10 s for condition, looking every 20 ms.
inline bool WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 500; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
        if (condition()) return true;
    }
    return false;
}

/// Waits up to readyWithin for a stand-in's "ready", pauses it and puts SessionWrites() into it,
/// expecting each command acknowledged.
inline void PrepareStandin(core::testing::ChildProcess& sim, std::chrono::seconds readyWithin) {
    ASSERT_EQ(sim.ReadLine(readyWithin), "ready");
    ASSERT_EQ(sim.Command("pause"), "ok pause");
    for (const MemoryWrite& write : SessionWrites()) {
        const std::string line = StandinCommand(write);
        ASSERT_EQ(sim.Command(line), "ok " + line.substr(0, line.find(' ')));
    }
}

/// The real platform layer and a link over it at a 500 ms scan, with what the link's steps found.
struct RealLink {
    RealLink() { link.SetScanTime(500); }
    bool Tick() { return record.Tick(link); }

    Platform platform = MakePlatform();
    core::ErrorReporter reporter;
    LinkRecord record;
    GameLink link{*platform.windows, *platform.memory, reporter};
};

/// Expects the stand-in's "RACE 07" window found and owned by processId, the link running after
/// the appearance delay (7 ticks) and holding the process, and one complete acquisition that
/// reads as SessionWrites().
inline void ExpectLinkReadsTheSession(RealLink& real, std::uint32_t processId) {
    WindowFinder& windows = *real.platform.windows;
    WindowId window = 0;
    ASSERT_TRUE(WaitFor([&] { return (window = windows.FindWindow("race 07")) != 0; }))
        << "the stand-in's window was not found";
    EXPECT_EQ(windows.WindowProcessId(window), processId);
    EXPECT_EQ(real.record.TicksUntilRunning(real.link, 20), 7);
    ASSERT_TRUE(real.link.HoldsProcessHandle());
    Acquisition acquisition(real.link.Readers());
    Snapshot got;
    ASSERT_EQ(acquisition.Acquire(got), AcquireResult::Complete);
    ExpectSessionSnapshot(got);
}

/// Closes the stand-in's window: the grace keeps the link up for 3 ticks with the process still
/// held, then the link stops and releases it (handlesOnTheProcess() one less). Opened again, the
/// window is found and the process held after the appearance delay. Then the stand-in quits,
/// and the link lets it go at once: no grace for a simulator that has ended.
inline void ExpectGraceReleaseAndReopen(RealLink& real, core::testing::ChildProcess& sim,
                                        const std::function<int()>& handlesOnTheProcess) {
    WindowFinder& windows = *real.platform.windows;
    const int held = handlesOnTheProcess();
    ASSERT_EQ(sim.Command("close"), "ok close");
    ASSERT_TRUE(WaitFor([&] { return windows.FindWindow("RACE 07") == 0; }));
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_TRUE(real.Tick()) << "grace tick " << tick;
        EXPECT_EQ(handlesOnTheProcess(), held) << "grace tick " << tick;
    }
    EXPECT_FALSE(real.Tick());
    EXPECT_FALSE(real.link.HoldsProcessHandle());
    EXPECT_EQ(handlesOnTheProcess(), held - 1) << "the process handle outlived the grace";
    EXPECT_EQ(real.record.statuses.back(), LinkStatus::NotRunning);

    ASSERT_EQ(sim.Command("open"), "ok open");
    ASSERT_TRUE(WaitFor([&] { return windows.FindWindow("RACE 07") != 0; }));
    EXPECT_EQ(real.record.TicksUntilRunning(real.link, 20), 7);
    EXPECT_TRUE(real.link.HoldsProcessHandle());
    EXPECT_EQ(sim.Command("quit"), "ok quit");
    sim.Wait();
    EXPECT_FALSE(real.Tick()) << "the grace kept a simulator that has ended";
    EXPECT_FALSE(real.link.HoldsProcessHandle());
    EXPECT_EQ(real.record.statuses.back(), LinkStatus::NotRunning);
}

}  // namespace kerbview::telemetry::testing
