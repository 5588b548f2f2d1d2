// SPDX-License-Identifier: MIT
#include "telemetry/process_memory.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <filesystem>

namespace kerbview::telemetry {
namespace {

int OpenDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

std::uint8_t Pattern(std::size_t i) { return static_cast<std::uint8_t>(i * 7 + 3); }

// A child process holding one page of a known pattern followed by an unmapped page.
class PatternChild {
public:
    PatternChild() {
        int fds[2];
        if (::pipe(fds) != 0) return;
        m_page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            auto* block = static_cast<std::uint8_t*>(::mmap(
                nullptr, 2 * m_page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
            for (std::size_t i = 0; i < m_page; ++i) block[i] = Pattern(i);
            ::munmap(block + m_page, m_page);
            const auto address = reinterpret_cast<std::uintptr_t>(block);
            (void)!::write(fds[1], &address, sizeof address);
            for (;;) ::pause();
        }
        ::close(fds[1]);
        std::uintptr_t address = 0;
        if (m_pid > 0 && ::read(fds[0], &address, sizeof address) == sizeof address) {
            m_address = address;
        }
        ::close(fds[0]);
    }
    ~PatternChild() { Kill(); }

    void Kill() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }
    pid_t Pid() const { return m_pid; }
    Address Block() const { return m_address; }
    std::size_t Page() const { return m_page; }

private:
    pid_t m_pid = -1;
    Address m_address = 0;
    std::size_t m_page = 4096;
};

TEST(ProcessMemoryLinux, ReadsAChildAtAbsoluteAddressesAndNothingFromHoles) {
    PatternChild child;
    ASSERT_GT(child.Pid(), 0);
    ASSERT_NE(child.Block(), 0u);
    const int before = OpenDescriptors();

    auto memory = MakeProcessMemory();
    OpenResult opened = memory->Open(static_cast<std::uint32_t>(child.Pid()));
    if (!opened.reader) {
        GTEST_SKIP() << "the kernel refused to open the child's memory: " << opened.detail;
    }
    EXPECT_EQ(OpenDescriptors(), before + 1);

    std::uint8_t bytes[64] = {};
    ASSERT_EQ(opened.reader->Read(child.Block() + 100, bytes, sizeof bytes), sizeof bytes);
    for (std::size_t i = 0; i < sizeof bytes; ++i) EXPECT_EQ(bytes[i], Pattern(100 + i)) << i;
    // A range that runs into the unmapped page is a short read: nothing counts as read.
    EXPECT_EQ(opened.reader->Read(child.Block() + child.Page() - 4, bytes, 8), 0u);
    EXPECT_EQ(opened.reader->Read(0, bytes, 8), 0u);
    EXPECT_EQ(opened.reader->Read(~Address{0} - 2, bytes, 8), 0u);

    child.Kill();
    EXPECT_EQ(opened.reader->Read(child.Block(), bytes, 8), 0u) << "a process that has ended";

    opened.reader.reset();
    EXPECT_EQ(OpenDescriptors(), before) << "the descriptor outlived its reader";
}

TEST(ProcessMemoryLinux, OpenFailureSaysWhatIsMissing) {
    auto memory = MakeProcessMemory();
    // Above the kernel's largest possible process id (4194304).
    const OpenResult gone = memory->Open(0x7FFFFFF0);
    EXPECT_EQ(gone.reader, nullptr);
    EXPECT_NE(gone.detail.find("/proc/2147483632/mem"), std::string::npos) << gone.detail;

    const OpenResult noPid = memory->Open(0);
    EXPECT_EQ(noPid.reader, nullptr);
    EXPECT_NE(noPid.detail.find("_NET_WM_PID"), std::string::npos) << noPid.detail;
}

}  // namespace
}  // namespace kerbview::telemetry
