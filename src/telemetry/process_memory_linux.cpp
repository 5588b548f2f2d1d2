// SPDX-License-Identifier: MIT
#include "telemetry/process_memory.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstring>

namespace kerbview::telemetry {

namespace {

// Reads /proc/PID/mem with positioned reads; owns the descriptor.
class ProcMemReader final : public ProcessReader {
public:
    explicit ProcMemReader(int fd) : m_fd(fd) {}
    ~ProcMemReader() override { ::close(m_fd); }
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
        // A short read leaves part of the value unread: it counts as nothing read.
        return got == static_cast<ssize_t>(count) ? count : 0;
    }

private:
    int m_fd;
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
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return {nullptr, MissingPermission(processId, errno)};
        }
        return {std::make_unique<ProcMemReader>(fd), std::string()};
    }
};

}  // namespace

std::unique_ptr<ProcessMemory> MakeProcessMemory() { return std::make_unique<ProcMemory>(); }

}  // namespace kerbview::telemetry
