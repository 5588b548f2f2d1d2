// SPDX-License-Identifier: MIT
// The Linux user's case: the simulator runs under Wine, Kerbview natively beside it. The Windows
// stand-in (built by the MinGW build) runs under Wine; the Linux layer finds its window through
// X11 and reads its memory through /proc/PID/mem.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "standin_checks.h"

namespace kerbview::telemetry {
namespace {

using namespace std::chrono_literals;

TEST(WineStandinIntegration, LinuxLayerFindsTheWineWindowAndReadsExactValues) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run under Xvfb";
    const std::filesystem::path standin = KERBVIEW_WIN32_STANDIN;
    if (standin.empty() || !std::filesystem::exists(standin)) {
        GTEST_SKIP() << "no Windows stand-in (" << standin
                     << "): build sim-standin-win32 with the MinGW build and configure with "
                        "-DKERBVIEW_WIN32_STANDIN=<its path>, as the test command does";
    }
    if (!std::filesystem::exists(KERBVIEW_WINE)) GTEST_SKIP() << "no Wine at " << KERBVIEW_WINE;

    core::testing::ChildProcess sim(KERBVIEW_WINE, {standin.string()});
    ASSERT_NE(sim.Pid(), 0u);
    ASSERT_NO_FATAL_FAILURE(testing::PrepareStandin(sim, 120s));

    // Wine names the Unix process that runs the program in _NET_WM_PID.
    testing::RealLink real;
    ASSERT_NO_FATAL_FAILURE(testing::ExpectLinkReadsTheSession(real, sim.Pid()));
}

}  // namespace
}  // namespace kerbview::telemetry
