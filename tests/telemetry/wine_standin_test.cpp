// SPDX-License-Identifier: MIT
// The Linux user's case: the simulator runs under Wine, Kerbview natively beside it. The Windows
// stand-in (built by the MinGW build) runs under Wine; the Linux layer finds its window through
// X11 and reads its memory through /proc/PID/mem.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "standin_checks.h"

namespace kerbview::telemetry {
namespace {

using namespace std::chrono_literals;

// A program under Wine, driven through pipes on its standard input and output.
class WineChild {
public:
    WineChild(const char* wine, const char* program) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0) return;
        if (::pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        char* argv[] = {const_cast<char*>(wine), const_cast<char*>(program), nullptr};
        if (::posix_spawn(&m_pid, wine, &actions, nullptr, argv, environ) != 0) m_pid = -1;
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        m_in = in[1];
        m_out = out[0];
    }
    ~WineChild() {
        ::close(m_in);  // the stand-in quits when its input ends
        for (int i = 0; i < 250 && m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0; ++i) {
            std::this_thread::sleep_for(20ms);
        }
        if (m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_out);
    }
    WineChild(const WineChild&) = delete;
    WineChild& operator=(const WineChild&) = delete;

    pid_t Pid() const { return m_pid; }

    // The next output line, or "" after the timeout or at the end of the output.
    std::string ReadLine(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            if (const auto end = m_pending.find('\n'); end != std::string::npos) {
                std::string line = m_pending.substr(0, end);
                m_pending.erase(0, end + 1);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd ready{m_out, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
                return {};
            }
            char buffer[512];
            const ssize_t got = ::read(m_out, buffer, sizeof buffer);
            if (got <= 0) return {};
            m_pending.append(buffer, static_cast<std::size_t>(got));
        }
    }

    std::string Command(const std::string& line) {
        const std::string text = line + "\n";
        if (::write(m_in, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            return "write failed";
        }
        return ReadLine(10s);
    }

private:
    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    std::string m_pending;
};

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

    WineChild sim(KERBVIEW_WINE, standin.c_str());
    ASSERT_GT(sim.Pid(), 0);
    ASSERT_EQ(sim.ReadLine(120s), "ready");
    ASSERT_NO_FATAL_FAILURE(
        testing::SendSession([&](const std::string& line) { return sim.Command(line); }));

    // Wine names the Unix process that runs the program in _NET_WM_PID.
    Platform platform = MakePlatform();
    ASSERT_TRUE(testing::WaitFor([&] { return platform.windows->FindWindow("RACE 07") != 0; }));
    MarkManaged(platform.windows->FindWindow("RACE 07"));
    core::ErrorReporter reporter;
    testing::RecordingObserver observer;
    GameLink link(*platform.windows, *platform.memory, reporter, observer);
    ASSERT_NO_FATAL_FAILURE(
        testing::ExpectLinkReadsTheSession(platform, link, static_cast<std::uint32_t>(sim.Pid())));

    ASSERT_EQ(sim.Command("close"), "ok close");
    EXPECT_TRUE(testing::WaitFor([&] { return platform.windows->FindWindow("RACE 07") == 0; }));
    EXPECT_EQ(sim.Command("quit"), "ok quit");
}

}  // namespace
}  // namespace kerbview::telemetry
