// SPDX-License-Identifier: MIT
#include "telemetry/process_memory.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

namespace kerbview::telemetry {

namespace {

// A descriptor that refers to one process, not to its number: it turns readable when that
// process ends. -1 where the kernel has none (before Linux 5.3).
int OpenPidDescriptor(std::uint32_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
#else
    (void)pid;
    return -1;
#endif
}

bool HasEnded(int pidFd) {
    pollfd p{pidFd, POLLIN, 0};
    return ::poll(&p, 1, 0) != 0;
}

// Reads /proc/PID/mem with positioned reads, and a whole scan with one process_vm_readv; owns
// both descriptors.
class ProcMemReader final : public ProcessReader {
public:
    ProcMemReader(int fd, std::uint32_t pid, int pidFd) : m_fd(fd), m_pid(pid), m_pidFd(pidFd) {}
    ~ProcMemReader() override {
        ::close(m_fd);
        if (m_pidFd >= 0) {
            ::close(m_pidFd);
        }
    }
    ProcMemReader(const ProcMemReader&) = delete;
    ProcMemReader& operator=(const ProcMemReader&) = delete;

    std::size_t Read(Address address, void* buffer, std::size_t count) override {
        if (count == 0 || address > static_cast<Address>(LLONG_MAX) - count) {
            return 0;
        }
        ssize_t got;
        do {
            got = ::pread(m_fd, buffer, count, static_cast<off_t>(address));
        } while (got < 0 && errno == EINTR);
        // A read that runs into an unreadable page stops there and reports how far it got.
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }

    std::size_t ReadBatch(std::span<const ReadRange> ranges, void* buffer) override {
        if (m_pidFd < 0 || ranges.empty() || ranges.size() > IOV_MAX) {
            return 0;
        }
        m_remote.clear();
        std::size_t total = 0;
        for (const ReadRange& r : ranges) {
            m_remote.push_back(
                {reinterpret_cast<void*>(static_cast<std::uintptr_t>(r.address)), r.count});
            total += r.count;
        }
        iovec local{buffer, total};
        const ssize_t got = ::process_vm_readv(static_cast<pid_t>(m_pid), &local, 1,
                                               m_remote.data(), m_remote.size(), 0);
        // The call names the process by its number, which the system gives to a new process
        // once the simulator has ended; the /proc descriptor cannot be fooled so. A batch is
        // used only when the process it was opened for still ran after it was read.
        if (got != static_cast<ssize_t>(total) || HasEnded(m_pidFd)) {
            return 0;
        }
        return total;
    }

    // Without a process descriptor (kernels before 5.3) the end cannot be told apart from a
    // new process given the same number; a scan that reads nothing tells it instead.
    bool Ended() override { return m_pidFd >= 0 && HasEnded(m_pidFd); }

private:
    int m_fd;
    std::uint32_t m_pid;
    int m_pidFd;
    std::vector<iovec> m_remote;
};

std::string MissingPermission(std::uint32_t pid, int error) {
    const std::string path = "/proc/" + std::to_string(pid) + "/mem";
    std::string why;
    switch (error) {
        case EACCES:
        case EPERM:
            why = "Reading " + path +
                  " needs ptrace access to the simulator: run Kerbview as the same user and start "
                  "the simulator through it (kerbview --launch -- COMMAND, in Steam the launch "
                  "option kerbview --launch -- %command%), or set kernel.yama.ptrace_scope to 0";
            break;
        case ENOENT:
        case ESRCH:
            why = "Process " + std::to_string(pid) + " no longer exists (" + path + " is missing)";
            break;
        default: why = "Cannot open " + path; break;
    }
    return why + " (" + std::strerror(error) + ").";
}

class ProcMemory final : public ProcessMemory {
public:
    OpenResult Open(std::uint32_t processId) override {
        if (processId == 0) {
            return {nullptr,
                    "The simulator's window does not name its process (no _NET_WM_PID property)."};
        }
        const std::string path = "/proc/" + std::to_string(processId) + "/mem";
        // The process descriptor first: a memory file opened while it still runs belongs to
        // the same process.
        int pidFd = OpenPidDescriptor(processId);
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            if (pidFd >= 0) {
                ::close(pidFd);
            }
            return {nullptr, MissingPermission(processId, error),
                    error == ENOENT || error == ESRCH};
        }
        // Ended before its memory file was opened: the file may be a new process's of that number.
        if (pidFd >= 0 && HasEnded(pidFd)) {
            ::close(pidFd);
            ::close(fd);
            return {nullptr, MissingPermission(processId, ESRCH), true};
        }
        return {std::make_unique<ProcMemReader>(fd, processId, pidFd), std::string()};
    }
};

}  // namespace

std::unique_ptr<ProcessMemory> MakeProcessMemory() { return std::make_unique<ProcMemory>(); }

}  // namespace kerbview::telemetry
