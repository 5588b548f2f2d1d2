// SPDX-License-Identifier: MIT
// The real Win32 platform layer against the Windows stand-in simulator (under Wine on Linux):
// the window search, the appearance delay and the grace, ReadProcessMemory's values, and the
// process handle's release.
#include <gtest/gtest.h>

#include <windows.h>
// windows.h maps FindWindow to FindWindowA; the interface method keeps its own name.
#undef FindWindow

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "standin_checks.h"

namespace kerbview::telemetry {
namespace {

using namespace std::chrono_literals;
using testing::TicksUntilRunning;
using testing::WaitFor;

std::filesystem::path BesideThisProgram(const wchar_t* fileName) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path() / fileName;
}

// The stand-in as a child process, driven through pipes on its standard input and output.
class Standin {
public:
    explicit Standin(const SECURITY_ATTRIBUTES* processSecurity = nullptr) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE childIn = nullptr, childOut = nullptr;
        if (!::CreatePipe(&childIn, &m_in, &inherit, 0) ||
            !::CreatePipe(&m_out, &childOut, &inherit, 0)) {
            return;
        }
        ::SetHandleInformation(m_in, HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(m_out, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childIn;
        startup.hStdOutput = childOut;
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        const std::filesystem::path program = BesideThisProgram(KERBVIEW_SIM_STANDIN_WIN32);
        std::wstring line = L"\"" + program.wstring() + L"\"";
        if (::CreateProcessW(program.c_str(), line.data(),
                             const_cast<SECURITY_ATTRIBUTES*>(processSecurity), nullptr, TRUE, 0,
                             nullptr, nullptr, &startup, &m_info)) {
            ::CloseHandle(m_info.hThread);
        }
        ::CloseHandle(childIn);
        ::CloseHandle(childOut);
    }
    ~Standin() {
        ::CloseHandle(m_in);  // the stand-in quits when its input ends
        if (m_info.hProcess != nullptr) {
            if (::WaitForSingleObject(m_info.hProcess, 5000) != WAIT_OBJECT_0) {
                ::TerminateProcess(m_info.hProcess, 1);
            }
            ::CloseHandle(m_info.hProcess);
        }
        ::CloseHandle(m_out);
    }
    Standin(const Standin&) = delete;
    Standin& operator=(const Standin&) = delete;

    std::uint32_t Pid() const { return m_info.dwProcessId; }

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
            DWORD available = 0;
            if (!::PeekNamedPipe(m_out, nullptr, 0, nullptr, &available, nullptr)) return {};
            if (available == 0) {
                if (std::chrono::steady_clock::now() > deadline) return {};
                std::this_thread::sleep_for(10ms);
                continue;
            }
            char buffer[512];
            DWORD got = 0;
            if (!::ReadFile(m_out, buffer, std::min<DWORD>(available, sizeof buffer), &got,
                            nullptr)) {
                return {};
            }
            m_pending.append(buffer, got);
        }
    }

    // Sends one command and returns the stand-in's answer to it.
    std::string Command(const std::string& line) {
        const std::string text = line + "\n";
        DWORD put = 0;
        if (!::WriteFile(m_in, text.data(), static_cast<DWORD>(text.size()), &put, nullptr)) {
            return "write failed";
        }
        return ReadLine(10s);
    }

private:
    HANDLE m_in = nullptr;
    HANDLE m_out = nullptr;
    PROCESS_INFORMATION m_info{};
    std::string m_pending;
};

// Whether this session can show windows at all: Wine without an X display cannot.
bool DesktopAvailable() {
    const HWND probe = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                         nullptr, nullptr);
    if (probe != nullptr) ::DestroyWindow(probe);
    return probe != nullptr;
}

// Handles of this process that are open on process pid. Handle values are small multiples of
// 4; GetProcessHandleCount would not do, as Wine does not count handles.
int HandlesTo(std::uint32_t pid) {
    int count = 0;
    for (std::uintptr_t value = 4; value < 0x4000; value += 4) {
        const auto handle = reinterpret_cast<HANDLE>(value);
        DWORD flags = 0;
        count += ::GetHandleInformation(handle, &flags) && ::GetProcessId(handle) == pid;
    }
    return count;
}

TEST(Win32StandinIntegration, FoundAfterTheDelayReadsExactValuesAndReleasesAfterTheGrace) {
    if (!DesktopAvailable()) GTEST_SKIP() << "no desktop for windows (Wine needs an X display)";
    Standin sim;
    ASSERT_NE(sim.Pid(), 0u) << "the stand-in did not start";
    ASSERT_EQ(sim.ReadLine(60s), "ready");
    ASSERT_NO_FATAL_FAILURE(
        testing::SendSession([&](const std::string& line) { return sim.Command(line); }));

    Platform platform = MakePlatform();
    core::ErrorReporter reporter;
    testing::RecordingObserver observer;
    GameLink link(*platform.windows, *platform.memory, reporter, observer);
    const int handlesBefore = HandlesTo(sim.Pid());  // the test's own, from CreateProcess
    ASSERT_NO_FATAL_FAILURE(testing::ExpectLinkReadsTheSession(platform, link, sim.Pid()));
    EXPECT_EQ(HandlesTo(sim.Pid()), handlesBefore + 1);

    // Closing the window: the grace keeps the link up for 3 ticks at 500 ms, then the process
    // handle is closed.
    ASSERT_EQ(sim.Command("close"), "ok close");
    ASSERT_TRUE(WaitFor([&] { return platform.windows->FindWindow("RACE 07") == 0; }));
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_TRUE(link.RACE07_Actiu()) << "grace tick " << tick;
    }
    EXPECT_EQ(HandlesTo(sim.Pid()), handlesBefore + 1);
    EXPECT_FALSE(link.RACE07_Actiu());
    EXPECT_FALSE(link.HoldsProcessHandle());
    EXPECT_EQ(HandlesTo(sim.Pid()), handlesBefore) << "the process handle outlived the grace";
    EXPECT_EQ(observer.statuses.back(), LinkStatus::NotRunning);

    ASSERT_EQ(sim.Command("open"), "ok open");
    ASSERT_TRUE(WaitFor([&] { return platform.windows->FindWindow("RACE 07") != 0; }));
    EXPECT_EQ(TicksUntilRunning(link), 7);
    EXPECT_TRUE(link.HoldsProcessHandle());
    EXPECT_EQ(sim.Command("quit"), "ok quit");
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
    Standin sim(&security);
    ASSERT_NE(sim.Pid(), 0u) << "the stand-in did not start";
    ASSERT_EQ(sim.ReadLine(60s), "ready");

    Platform platform = MakePlatform();
    ASSERT_TRUE(WaitFor([&] { return platform.windows->FindWindow("RACE 07") != 0; }));
    core::ErrorReporter reporter;
    testing::RecordingObserver observer;
    GameLink link(*platform.windows, *platform.memory, reporter, observer);
    link.SetScanTime(500);
    for (int tick = 0; tick < 12; ++tick) link.RACE07_Actiu();
    EXPECT_FALSE(link.HoldsProcessHandle());
    ASSERT_EQ(observer.failures.size(), 1u);
    EXPECT_EQ(observer.failures[0].rfind("Imposible abrir el proceso|OpenProcess with all access "
                                         "rights was refused",
                                         0),
              0u)
        << observer.failures[0];
    EXPECT_NE(observer.failures[0].find("(error 5)"), std::string::npos) << observer.failures[0];
    EXPECT_EQ(sim.Command("quit"), "ok quit");
}

}  // namespace
}  // namespace kerbview::telemetry
