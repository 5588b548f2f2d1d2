// SPDX-License-Identifier: MIT
// The Linux user's case: the simulator runs under Wine, Kerbview natively beside it. The Windows
// stand-in (built by the MinGW build) runs under Wine; the Linux layer finds its window through
// X11 and reads its memory through /proc/PID/mem.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "standin_checks.h"

namespace kerbview::telemetry {
namespace {

using namespace std::chrono_literals;

// Marks an X window as shown by a window manager (WM_STATE NormalState), as a window manager
// would once it has mapped it. Without one, Wine waits 2 s for that mark before it takes a
// window down.
void MarkManaged(WindowId window) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const char name[] = "WM_STATE";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
    if (atom != nullptr) {
        const std::uint32_t state[2] = {1, XCB_WINDOW_NONE};  // NormalState, no icon window
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window), atom->atom,
                            atom->atom, 32, 2, state);
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }
    std::free(atom);
    xcb_disconnect(c);
}

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
    WindowFinder& windows = *real.platform.windows;
    ASSERT_TRUE(testing::WaitFor([&] { return windows.FindWindow("RACE 07") != 0; }));
    MarkManaged(windows.FindWindow("RACE 07"));
    ASSERT_NO_FATAL_FAILURE(testing::ExpectLinkReadsTheSession(real, sim.Pid()));

    ASSERT_EQ(sim.Command("close"), "ok close");
    EXPECT_TRUE(testing::WaitFor([&] { return windows.FindWindow("RACE 07") == 0; }));
    EXPECT_EQ(sim.Command("quit"), "ok quit");
}

}  // namespace
}  // namespace kerbview::telemetry
