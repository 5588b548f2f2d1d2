// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace kerbview::core::testing {

/// A program in the folder of the running test program (every program of the build lands in
/// one folder).
inline std::filesystem::path BesideThisProgram(const std::filesystem::path& fileName) {
#ifdef _WIN32
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path() / fileName;
#else
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / fileName;
#endif
}

/// Another program running beside the test, with its standard input and output as pipes to the
/// test (a stand-in simulator takes commands there). Arguments are plain words.
class ChildProcess {
public:
#ifdef _WIN32
    /// security: the new process's security descriptor, or nullptr for the default.
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                 const SECURITY_ATTRIBUTES* security = nullptr) {
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
        std::wstring line = L"\"" + program.wstring() + L"\"";
        for (const std::string& arg : args) line += L" " + std::filesystem::path(arg).wstring();
        if (::CreateProcessW(program.c_str(), line.data(),
                             const_cast<SECURITY_ATTRIBUTES*>(security), nullptr, TRUE, 0, nullptr,
                             nullptr, &startup, &m_info)) {
            ::CloseHandle(m_info.hThread);
        }
        ::CloseHandle(childIn);
        ::CloseHandle(childOut);
    }
#else
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<std::string> words{program.string()};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) m_pid = 0;
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        m_in = in[1];
        m_out = out[0];
    }
#endif
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    /// Ends its input (a stand-in then quits), gives it up to 5 s to end, then kills it.
    ~ChildProcess() {
#ifdef _WIN32
        ::CloseHandle(m_in);
        if (Pid() != 0 && !m_waited && ::WaitForSingleObject(m_info.hProcess, 5000) != 0) {
            ::TerminateProcess(m_info.hProcess, 1);
        }
        Wait();
        ::CloseHandle(m_out);
#else
        ::close(m_in);
        for (int i = 0; i < 250 && Pid() != 0 && !m_waited; ++i) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) m_waited = true;
            std::this_thread::sleep_for(kStep);
        }
        if (!m_waited && Pid() != 0) ::kill(m_pid, SIGKILL);
        Wait();
        ::close(m_out);
#endif
    }

    /// Its process id; 0 when it did not start.
    std::uint32_t Pid() const {
#ifdef _WIN32
        return m_info.dwProcessId;
#else
        return static_cast<std::uint32_t>(m_pid);
#endif
    }

    /// Waits for it to end; its exit status, or -1 when it did not start or was killed.
    int Wait() {
        if (Pid() == 0 || m_waited) return m_status;
        m_waited = true;
#ifdef _WIN32
        DWORD code = 0;
        ::WaitForSingleObject(m_info.hProcess, INFINITE);
        m_status = ::GetExitCodeProcess(m_info.hProcess, &code) ? static_cast<int>(code) : -1;
        ::CloseHandle(m_info.hProcess);
#else
        int status = 0;
        if (::waitpid(m_pid, &status, 0) == m_pid && WIFEXITED(status)) {
            m_status = WEXITSTATUS(status);
        }
#endif
        return m_status;
    }

    /// Its next output line (without the line end), or "" after the timeout or at its end.
    std::string ReadLine(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::size_t end;
        while ((end = m_pending.find('\n')) == std::string::npos) {
            char buffer[512];
            const long got = ReadSome(buffer, sizeof buffer);
            if (got < 0 || (got == 0 && std::chrono::steady_clock::now() > deadline)) return {};
            if (got == 0) std::this_thread::sleep_for(kStep);
            m_pending.append(buffer, static_cast<std::size_t>(got));
        }
        std::string line = m_pending.substr(0, end);
        m_pending.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }

    /// Sends one line to its input and returns its next output line (within 10 s).
    std::string Command(const std::string& line) {
        const std::string text = line + "\n";
#ifdef _WIN32
        DWORD put = 0;
        const bool sent =
            ::WriteFile(m_in, text.data(), static_cast<DWORD>(text.size()), &put, nullptr) &&
            put == text.size();
#else
        const bool sent =
            ::write(m_in, text.data(), text.size()) == static_cast<ssize_t>(text.size());
#endif
        return sent ? ReadLine(std::chrono::seconds(10)) : "write failed";
    }

private:
    static constexpr std::chrono::milliseconds kStep{20};

    // What is there to read now, without waiting: bytes, 0 for nothing yet, -1 at the end.
    long ReadSome(char* buffer, std::size_t size) {
#ifdef _WIN32
        DWORD available = 0, got = 0;
        if (!::PeekNamedPipe(m_out, nullptr, 0, nullptr, &available, nullptr)) return -1;
        if (available == 0) return 0;
        const DWORD want = available < size ? available : static_cast<DWORD>(size);
        return ::ReadFile(m_out, buffer, want, &got, nullptr) ? static_cast<long>(got) : -1;
#else
        pollfd ready{m_out, POLLIN, 0};
        if (::poll(&ready, 1, 0) <= 0) return 0;
        const ssize_t got = ::read(m_out, buffer, size);
        return got > 0 ? static_cast<long>(got) : -1;
#endif
    }

    bool m_waited = false;
    int m_status = -1;
    std::string m_pending;
#ifdef _WIN32
    HANDLE m_in = nullptr;
    HANDLE m_out = nullptr;
    PROCESS_INFORMATION m_info{};
#else
    pid_t m_pid = 0;
    int m_in = -1;
    int m_out = -1;
#endif
};

}  // namespace kerbview::core::testing
