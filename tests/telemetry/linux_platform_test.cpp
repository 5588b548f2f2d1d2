// SPDX-License-Identifier: MIT
// The real Linux process memory, read from a child.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "landlock_domain.h"
#include "telemetry/platform.h"

namespace kerbview::telemetry {
namespace {

// Descriptors of this process that are open on `path`.
int DescriptorsOn(const std::string& path) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        count += std::filesystem::read_symlink(entry.path(), error) == path ? 1 : 0;
    }
    return count;
}

std::uint8_t Pattern(std::size_t i) { return static_cast<std::uint8_t>(i * 7 + 3); }

// A child process holding one page of a known pattern followed by an unmapped page; the child
// inherits the block at the same address.
class PatternChild {
public:
    PatternChild() : m_page(static_cast<std::size_t>(::sysconf(_SC_PAGESIZE))) {
        auto* block = static_cast<std::uint8_t*>(::mmap(nullptr, 2 * m_page, PROT_READ | PROT_WRITE,
                                                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        if (block == MAP_FAILED) return;
        for (std::size_t i = 0; i < m_page; ++i) block[i] = Pattern(i);
        ::munmap(block + m_page, m_page);
        m_address = reinterpret_cast<Address>(block);
        m_pid = ::fork();
        if (m_pid == 0)
            for (;;) ::pause();
        ::munmap(block, m_page);
    }
    ~PatternChild() { Kill(); }
    void Kill() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

    pid_t m_pid = -1;
    std::size_t m_page;
    Address m_address = 0;
};

TEST(ProcessMemoryLinux, ReadsAChildAtAbsoluteAddressesAndNothingFromHolesOrAfterItEnded) {
    PatternChild child;
    ASSERT_GT(child.m_pid, 0);
    OpenResult opened = MakeProcessMemory()->Open(static_cast<std::uint32_t>(child.m_pid));
    if (!opened.reader) GTEST_SKIP() << "the kernel refused the child's memory: " << opened.detail;
    const std::string memPath = "/proc/" + std::to_string(child.m_pid) + "/mem";
    EXPECT_EQ(DescriptorsOn(memPath), 1);

    std::uint8_t bytes[64] = {};
    ASSERT_EQ(opened.reader->Read(child.m_address + 100, bytes, sizeof bytes), sizeof bytes);
    for (std::size_t i = 0; i < sizeof bytes; ++i) EXPECT_EQ(bytes[i], Pattern(100 + i)) << i;
    // A range that runs into the unmapped page is a short read of the bytes before it.
    EXPECT_EQ(opened.reader->Read(child.m_address + child.m_page - 4, bytes, 8), 4u);
    EXPECT_EQ(bytes[3], Pattern(child.m_page - 1));
    EXPECT_EQ(opened.reader->Read(0, bytes, 8), 0u);
    EXPECT_EQ(opened.reader->Read(~Address{0} - 2, bytes, 8), 0u);

    // A batch: the ranges' bytes one after another; whole or not used at all.
    const ReadRange ranges[] = {{child.m_address + 200, 3}, {child.m_address + 10, 2}};
    EXPECT_EQ(opened.reader->ReadBatch(ranges, bytes), 5u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 5),
              (std::vector<std::uint8_t>{Pattern(200), Pattern(201), Pattern(202), Pattern(10),
                                         Pattern(11)}));
    const ReadRange intoTheHole[] = {ranges[0], {child.m_address + child.m_page - 4, 8}};
    EXPECT_NE(opened.reader->ReadBatch(intoTheHole, bytes), 11u);

    EXPECT_FALSE(opened.reader->Ended());
    const auto pid = static_cast<std::uint32_t>(child.m_pid);
    child.Kill();
    EXPECT_TRUE(opened.reader->Ended());
    EXPECT_EQ(opened.reader->Read(child.m_address, bytes, 8), 0u) << "a process that has ended";
    EXPECT_EQ(opened.reader->ReadBatch(ranges, bytes), 0u) << "a process that has ended";
    opened.reader.reset();
    EXPECT_EQ(DescriptorsOn(memPath), 0) << "the reader kept its descriptor";
    // Opened again it is gone, which is no failure to report; a window without a process id is.
    const OpenResult gone = MakeProcessMemory()->Open(pid);
    EXPECT_TRUE(gone.reader == nullptr && gone.gone) << gone.detail;
    EXPECT_NE(gone.detail.find("/proc/" + std::to_string(pid) + "/mem"), std::string::npos);
    EXPECT_NE(MakeProcessMemory()->Open(0).detail.find("_NET_WM_PID"), std::string::npos);
}

TEST(ProcessMemoryLinux, AReaderThatIsNotTheSimulatorsAncestorIsToldOfTheLauncher) {
    if (!testing::LandlockAvailable()) GTEST_SKIP() << "no Landlock to refuse the reader";
    PatternChild target;
    ASSERT_GT(target.m_pid, 0);
    // A sibling of the target, confined as ptrace_scope 1 confines a non-ancestor, is refused
    // and told how to start the simulator so that it may read it.
    const auto openConfined = [&] {
        const OpenResult opened =
            testing::EnterLandlockDomain()
                ? MakeProcessMemory()->Open(static_cast<std::uint32_t>(target.m_pid))
                : OpenResult{nullptr, "could not enter the Landlock domain"};
        std::fputs(opened.detail.c_str(), stderr);
        ::_exit(opened.reader ? 1 : 0);
    };
    EXPECT_EXIT(openConfined(), ::testing::ExitedWithCode(0),
                "kerbview --launch -- %command%.*kernel\\.yama\\.ptrace_scope to 0");
}

}  // namespace
}  // namespace kerbview::telemetry
