// SPDX-License-Identifier: MIT
// The real Win32 platform layer against the Windows stand-in simulator (under Wine on Linux):
// the window search, the appearance delay and the grace, ReadProcessMemory's values, and the
// process handle's release.
#include <gtest/gtest.h>

#include <windows.h>
// windows.h maps FindWindow to FindWindowA; the interface method keeps its own name.
#undef FindWindow

#include <chrono>
#include <filesystem>
#include <string>

#include "core/child_process.h"
#include "standin_checks.h"

namespace kerbview::telemetry {
namespace {

using namespace std::chrono_literals;
using testing::WaitFor;

// The Windows stand-in simulator, beside this test program.
const std::filesystem::path kStandin = core::testing::BesideThisProgram(KERBVIEW_SIM_STANDIN_WIN32);

// Whether this session can show windows at all: Wine without an X display cannot.
bool DesktopAvailable() {
    const HWND probe = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                         nullptr, nullptr);
    return probe != nullptr && ::DestroyWindow(probe);
}

// Handles of this process that are open on process pid. Handle values are small multiples of
// 4 (GetProcessId gives 0 for a value that is no process handle); GetProcessHandleCount would
// not do, as Wine does not count handles.
int HandlesTo(std::uint32_t pid) {
    int count = 0;
    for (std::uintptr_t value = 4; value < 0x4000; value += 4) {
        count += ::GetProcessId(reinterpret_cast<HANDLE>(value)) == pid;
    }
    return count;
}

// Another "RACE 07" window (this test's own, on top) hides the simulator's only until it is
// passed over; the simulator is then read exactly, and let go after the grace and when it ends.
TEST(Win32StandinIntegration, FoundPastAnotherWindowReadsExactValuesAndLetsGo) {
    if (!DesktopAvailable()) GTEST_SKIP() << "no desktop for windows (Wine needs an X display)";
    core::testing::ChildProcess sim(kStandin, {});
    ASSERT_NE(sim.Pid(), 0u) << "the stand-in did not start";
    ASSERT_NO_FATAL_FAILURE(testing::PrepareStandin(sim, 60s));
    const HWND own = ::CreateWindowExW(0, L"STATIC", L"RACE 07", WS_POPUP, 0, 0, 8, 8, nullptr,
                                       nullptr, nullptr, nullptr);
    ::SetWindowPos(own, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_EQ(MakeWindowFinder()->FindWindow("RACE 07"), reinterpret_cast<WindowId>(own));

    testing::RealLink real;
    real.platform.windows->PassOver(reinterpret_cast<WindowId>(own));
    const int handlesBefore = HandlesTo(sim.Pid());  // the test's own, from CreateProcess
    ASSERT_NO_FATAL_FAILURE(testing::ExpectLinkReadsTheSession(real, sim.Pid()));
    EXPECT_EQ(HandlesTo(sim.Pid()), handlesBefore + 1);
    testing::ExpectGraceReleaseAndReopen(real, sim, [&] { return HandlesTo(sim.Pid()); });
    ::DestroyWindow(own);
}

// A "RACE 07" window whose process lets no one open it (its security descriptor grants nothing,
// as with a simulator run by another user or elevated): the link shows the open failure once,
// saying what is missing, and holds nothing.
TEST(Win32StandinIntegration, ProcessThatCannotBeOpenedIsReportedOnceAndNotHeld) {
    if (!DesktopAvailable()) GTEST_SKIP() << "no desktop for windows (Wine needs an X display)";
    SECURITY_DESCRIPTOR nobody;
    ACL empty;
    ASSERT_TRUE(::InitializeSecurityDescriptor(&nobody, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(::InitializeAcl(&empty, sizeof empty, ACL_REVISION));
    ASSERT_TRUE(::SetSecurityDescriptorDacl(&nobody, TRUE, &empty, FALSE));
    const SECURITY_ATTRIBUTES security{sizeof security, &nobody, FALSE};
    core::testing::ChildProcess sim(kStandin, {}, &security);
    ASSERT_NE(sim.Pid(), 0u) << "the stand-in did not start";
    ASSERT_EQ(sim.ReadLine(60s), "ready");

    testing::RealLink real;
    ASSERT_TRUE(WaitFor([&] { return real.platform.windows->FindWindow("RACE 07") != 0; }));
    for (int tick = 0; tick < 12; ++tick) real.Tick();
    EXPECT_FALSE(real.link.HoldsProcessHandle());
    ASSERT_EQ(real.record.failures.size(), 1u);
    const std::string& failure = real.record.failures[0];
    EXPECT_TRUE(failure.starts_with("OpenProcess with all access rights was refused")) << failure;
    EXPECT_TRUE(failure.ends_with(" (error 5).")) << failure;
    EXPECT_EQ(sim.Command("quit"), "ok quit");
}

}  // namespace
}  // namespace kerbview::telemetry
