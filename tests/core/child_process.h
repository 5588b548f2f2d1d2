// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace kerbview::core::testing {

/// A program in the folder of the running test program (every program of the build lands in
/// one folder).
inline std::filesystem::path BesideThisProgram(const std::string& fileName) {
#ifdef _WIN32
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path() / fileName;
#else
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / fileName;
#endif
}

/// Another program running beside the test; arguments are plain words without blanks or quotes.
class ChildProcess {
public:
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args) {
#ifdef _WIN32
        std::wstring line = L"\"" + program.wstring() + L"\"";
        for (const std::string& arg : args) line += L" " + std::filesystem::path(arg).wstring();
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &m_info)) {
            ::CloseHandle(m_info.hThread);
            m_started = true;
        }
#else
        std::vector<std::string> words{program.string()};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        m_started = ::posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0;
#endif
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { Wait(); }

    /// Waits for the program to end; its exit status, or -1 when it did not start or crashed.
    int Wait() {
        if (!m_started) return m_status;
        m_started = false;
#ifdef _WIN32
        DWORD code = 0;
        ::WaitForSingleObject(m_info.hProcess, INFINITE);
        m_status = ::GetExitCodeProcess(m_info.hProcess, &code) ? static_cast<int>(code) : -1;
        ::CloseHandle(m_info.hProcess);
#else
        int status = 0;
        m_status =
            ::waitpid(m_pid, &status, 0) == m_pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
        return m_status;
    }

private:
    bool m_started = false;
    int m_status = -1;
#ifdef _WIN32
    PROCESS_INFORMATION m_info{};
#else
    pid_t m_pid = -1;
#endif
};

}  // namespace kerbview::core::testing
