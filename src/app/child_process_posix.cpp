// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "app/child_process.h"

extern char** environ;

namespace kerbview::app {

namespace {

constexpr int kCloseSignals[] = {SIGTERM, SIGINT, SIGHUP};

int ShellStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 255;
}

// The write end of the window process's close-request pipe. A signal handler can reach nothing
// but a static; it is set once, before the handlers are installed, and never changes.
int s_closeRequestWrite = -1;

extern "C" void OnCloseSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a request.
    [[maybe_unused]] const ssize_t written = ::write(s_closeRequestWrite, &byte, 1);
    errno = saved;
}

// The command seen from the window process, its parent. Its end is watched through a pidfd
// where the kernel has one (Linux 5.3 and later: readable once the command has ended) and
// checked with waitid(WNOWAIT), which leaves the status to be collected: when the window
// process ends, the ended command passes to the waiter with its status intact.
class PosixChild final : public ChildProcess {
public:
    PosixChild(pid_t pid, int closeRead) : m_pid(pid), m_closeRead(closeRead) {
#ifdef SYS_pidfd_open
        m_pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#endif
    }
    ~PosixChild() override {
        if (m_pidfd >= 0) ::close(m_pidfd);
        // The handlers stay: a late signal still finds a valid (if unwatched) pipe.
        ::close(m_closeRead);
    }
    PosixChild(const PosixChild&) = delete;
    PosixChild& operator=(const PosixChild&) = delete;

    int EndDescriptor() const override { return m_pidfd; }
    bool Ended() override {
        if (!m_ended) {
            siginfo_t info{};
            int got;
            do {
                got = ::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOHANG | WNOWAIT);
            } while (got < 0 && errno == EINTR);
            // An error means the command is no longer this process's child: ended, in effect.
            m_ended = got < 0 || info.si_pid == m_pid;
        }
        return m_ended;
    }
    int CloseRequestDescriptor() const override { return m_closeRead; }
    bool TakeCloseRequest() override {
        char bytes[16];
        bool any = false;
        ssize_t got;
        while ((got = ::read(m_closeRead, bytes, sizeof bytes)) > 0) any = true;
        return any;
    }

private:
    pid_t m_pid;
    int m_closeRead;
    int m_pidfd = -1;
    bool m_ended = false;
};

[[noreturn]] void EndWith(int status) {
    std::fflush(nullptr);
    ::_exit(status);
}

// The waiter: the process that was started as Kerbview, now a child subreaper above the window
// process. It reads the command's process id from the window process, then collects every
// child that ends (the window process; the command, adopted once the window process has ended;
// whatever else the command's process tree leaves to a subreaper, such as a detached Wine
// server) until the command's own status is known. TERM, INT and HUP are blocked here and
// taken with sigwaitinfo, so no handler runs in this process.
[[noreturn]] void Wait(pid_t window, int idRead, const sigset_t& watched) {
    pid_t command = -1;
    {
        pid_t id = -1;
        ssize_t got;
        do {
            got = ::read(idRead, &id, sizeof id);
        } while (got < 0 && errno == EINTR);
        if (got == static_cast<ssize_t>(sizeof id)) command = id;
        ::close(idRead);
    }
    bool windowEnded = false;
    for (;;) {
        int status = 0;
        pid_t got;
        std::optional<int> windowStatus;
        while ((got = ::waitpid(-1, &status, WNOHANG)) > 0) {
            if (got == command) EndWith(ShellStatus(status));
            if (got == window) {
                windowEnded = true;
                windowStatus = ShellStatus(status);
            }
        }
        if (windowStatus) {
            // Without a command (it could not be started) the window process said why and
            // chose the status.
            if (command < 0) EndWith(*windowStatus);
            if (*windowStatus == 0) {
                std::fputs("kerbview: window closed; waiting for the launched command to end\n",
                           stderr);
            } else {
                std::fprintf(stderr,
                             "kerbview: the window's process ended (status %d); waiting for the "
                             "launched command to end\n",
                             *windowStatus);
            }
        }
        if (got < 0 && errno == ECHILD) {
            // Nothing left to wait for, yet the command was never collected here: its status
            // was taken elsewhere and is lost.
            std::fputs("kerbview: the launched command's status was lost\n", stderr);
            EndWith(255);
        }
        siginfo_t info{};
        const int signal = ::sigwaitinfo(&watched, &info);
        if (signal != SIGCHLD && signal > 0 && !windowEnded) ::kill(window, SIGTERM);
    }
}

}  // namespace

ChildStart StartChild(const std::vector<std::string>& command) {
    if (command.empty()) return {nullptr, "no command given", 127};

    // An inherited "ignore SIGCHLD" would let the kernel discard the command's status.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    ::sigemptyset(&byDefault.sa_mask);
    ::sigaction(SIGCHLD, &byDefault, nullptr);

    // Blocked from before the split, so that the waiter misses no child's end and no request,
    // and the window process takes a request only once its handler is in place.
    sigset_t watched;
    ::sigemptyset(&watched);
    ::sigaddset(&watched, SIGCHLD);
    for (const int s : kCloseSignals) ::sigaddset(&watched, s);
    sigset_t original;
    ::sigprocmask(SIG_BLOCK, &watched, &original);

    int idPipe[2];
    if (::pipe2(idPipe, O_CLOEXEC) != 0) {
        const int error = errno;
        ::sigprocmask(SIG_SETMASK, &original, nullptr);
        return {nullptr, std::strerror(error), 126};
    }
    // Adopts the command should the window process end before it.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1L, 0L, 0L, 0L);
    std::fflush(nullptr);
    const pid_t window = ::fork();
    if (window < 0) {
        const int error = errno;
        ::prctl(PR_SET_CHILD_SUBREAPER, 0L, 0L, 0L, 0L);
        ::close(idPipe[0]);
        ::close(idPipe[1]);
        ::sigprocmask(SIG_SETMASK, &original, nullptr);
        return {nullptr, std::strerror(error), 126};
    }
    if (window > 0) {
        ::close(idPipe[1]);
        Wait(window, idPipe[0], watched);
    }

    // The window process.
    ::close(idPipe[0]);
    std::vector<char*> argv;
    argv.reserve(command.size() + 1);
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    ::posix_spawnattr_setsigmask(&attributes, &original);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
    ::posix_spawnattr_destroy(&attributes);
    if (error == 0) {
        [[maybe_unused]] const ssize_t sent = ::write(idPipe[1], &pid, sizeof pid);
    }
    ::close(idPipe[1]);

    int closePipe[2] = {-1, -1};
    if (error == 0 && ::pipe2(closePipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        s_closeRequestWrite = closePipe[1];
        for (const int s : kCloseSignals) {
            struct sigaction current {};
            ::sigaction(s, nullptr, &current);
            // A signal this program was started to ignore stays ignored.
            if (current.sa_handler == SIG_IGN) continue;
            struct sigaction request {};
            request.sa_handler = OnCloseSignal;
            ::sigemptyset(&request.sa_mask);
            request.sa_flags = SA_RESTART;
            ::sigaction(s, &request, nullptr);
        }
    }
    ::sigprocmask(SIG_SETMASK, &original, nullptr);
    if (error != 0) return {nullptr, std::strerror(error), error == ENOENT ? 127 : 126};
    return {std::make_unique<PosixChild>(pid, closePipe[0]), std::string(), 0};
}

}  // namespace kerbview::app
