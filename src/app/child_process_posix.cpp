// SPDX-License-Identifier: MIT
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "app/child_process.h"

extern char** environ;

namespace kerbview::app {

namespace {

int ShellStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 255;
}

// Waits for the child through a pidfd where the kernel has one (Linux 5.3 and later): the
// descriptor turns readable when the child ends, so no SIGCHLD handler is needed at all.
class PosixChild final : public ChildProcess {
public:
    explicit PosixChild(pid_t pid) : m_pid(pid) {
#ifdef SYS_pidfd_open
        m_pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#endif
    }
    ~PosixChild() override {
        if (m_pidfd >= 0) ::close(m_pidfd);
    }
    PosixChild(const PosixChild&) = delete;
    PosixChild& operator=(const PosixChild&) = delete;

    int EndDescriptor() const override { return m_pidfd; }
    std::optional<int> Finished() override { return Reap(WNOHANG); }
    int WaitFinished() override { return *Reap(0); }

private:
    std::optional<int> Reap(int options) {
        if (m_status) return m_status;
        int status = 0;
        pid_t got;
        do {
            got = ::waitpid(m_pid, &status, options);
        } while (got < 0 && errno == EINTR);
        if (got == m_pid) {
            m_status = ShellStatus(status);
        } else if (got < 0) {
            m_status = 255;  // reaped elsewhere: the status is lost
        }
        return m_status;
    }

    pid_t m_pid;
    int m_pidfd = -1;
    std::optional<int> m_status;
};

}  // namespace

ChildStart StartChild(const std::vector<std::string>& command) {
    if (command.empty()) return {nullptr, "no command given", 127};
    // An inherited "ignore SIGCHLD" would reap the child behind our back and lose its status.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    ::sigemptyset(&byDefault.sa_mask);
    ::sigaction(SIGCHLD, &byDefault, nullptr);

    std::vector<char*> argv;
    argv.reserve(command.size() + 1);
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (error != 0) return {nullptr, std::strerror(error), error == ENOENT ? 127 : 126};
    return {std::make_unique<PosixChild>(pid), std::string(), 0};
}

}  // namespace kerbview::app
