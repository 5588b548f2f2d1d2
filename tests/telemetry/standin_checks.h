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

/// Expects the stand-in's "RACE 07" window found and owned by processId, the link running after
/// the appearance delay (7 ticks at a 500 ms scan) and holding the process, and one complete
/// acquisition that reads as SessionWrites().
inline void ExpectLinkReadsTheSession(Platform& platform, GameLink& link, LinkRecord& record,
                                      std::uint32_t processId) {
    WindowId window = 0;
    ASSERT_TRUE(WaitFor([&] { return (window = platform.windows->FindWindow("race 07")) != 0; }))
        << "the stand-in's window was not found";
    EXPECT_EQ(platform.windows->WindowProcessId(window), processId);
    link.SetScanTime(500);
    EXPECT_EQ(record.TicksUntilRunning(link, 20), 7);
    ASSERT_TRUE(link.HoldsProcessHandle());
    Acquisition acquisition(link.Readers());
    Snapshot got;
    ASSERT_EQ(acquisition.Acquire(got), AcquireResult::Complete);
    ExpectSessionSnapshot(got);
}

/// Closes the stand-in's window through command (one command line in, the answer out): the
/// grace keeps the link up for 3 ticks at 500 ms with the process still held, then the link
/// stops and releases it (handlesOnTheProcess() one less). Opened again, the window is found and
/// the process held after the appearance delay. Then the stand-in quits (waitForEnd returns once
/// it has ended), and the link lets it go at once: no grace for a simulator that has ended.
inline void ExpectGraceReleaseAndReopen(
    Platform& platform, GameLink& link, LinkRecord& record,
    const std::function<std::string(const std::string&)>& command,
    const std::function<int()>& handlesOnTheProcess, const std::function<void()>& waitForEnd) {
    const int held = handlesOnTheProcess();
    ASSERT_EQ(command("close"), "ok close");
    ASSERT_TRUE(WaitFor([&] { return platform.windows->FindWindow("RACE 07") == 0; }));
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_TRUE(record.Tick(link)) << "grace tick " << tick;
        EXPECT_EQ(handlesOnTheProcess(), held) << "grace tick " << tick;
    }
    EXPECT_FALSE(record.Tick(link));
    EXPECT_FALSE(link.HoldsProcessHandle());
    EXPECT_EQ(handlesOnTheProcess(), held - 1) << "the process handle outlived the grace";
    EXPECT_EQ(record.statuses.back(), LinkStatus::NotRunning);

    ASSERT_EQ(command("open"), "ok open");
    ASSERT_TRUE(WaitFor([&] { return platform.windows->FindWindow("RACE 07") != 0; }));
    EXPECT_EQ(record.TicksUntilRunning(link, 20), 7);
    EXPECT_TRUE(link.HoldsProcessHandle());
    EXPECT_EQ(command("quit"), "ok quit");
    waitForEnd();
    EXPECT_FALSE(record.Tick(link)) << "the grace kept a simulator that has ended";
    EXPECT_FALSE(link.HoldsProcessHandle());
    EXPECT_EQ(record.statuses.back(), LinkStatus::NotRunning);
}

}  // namespace kerbview::telemetry::testing
