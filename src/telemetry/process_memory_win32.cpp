// SPDX-License-Identifier: MIT
#include "telemetry/process_memory.h"

#include <algorithm>
#include <string>

#include <windows.h>

namespace kerbview::telemetry {

namespace {

constexpr DWORD kAllAccess = 0x1F0FFF;

// Owns a process handle from OpenProcess.
class Win32ProcessReader final : public ProcessReader {
public:
    explicit Win32ProcessReader(HANDLE handle) : m_handle(handle) {}
    ~Win32ProcessReader() override { ::CloseHandle(m_handle); }
    Win32ProcessReader(const Win32ProcessReader&) = delete;
    Win32ProcessReader& operator=(const Win32ProcessReader&) = delete;

    std::size_t Read(Address address, void* buffer, std::size_t count) override {
        SIZE_T transferred = 0;
        const BOOL ok = ::ReadProcessMemory(m_handle, reinterpret_cast<LPCVOID>(address), buffer,
                                            count, &transferred);
        // A read that runs into memory that cannot be read fails with ERROR_PARTIAL_COPY and
        // may report the bytes it copied before that point: those count as read.
        if (!ok && ::GetLastError() != ERROR_PARTIAL_COPY) {
            return 0;
        }
        return std::min<std::size_t>(transferred, count);
    }

    // One ReadProcessMemory per block of ranges lying within a page of each other.
    std::size_t ReadBatch(std::span<const ReadRange> ranges, void* buffer) override {
        return ReadInSpannedBlocks(ranges, buffer, 4096, 256 * 1024,
                                   [this](Address address, void* block, std::size_t size) {
                                       SIZE_T transferred = 0;
                                       return ::ReadProcessMemory(
                                                  m_handle, reinterpret_cast<LPCVOID>(address),
                                                  block, size, &transferred) != 0 &&
                                              transferred == size;
                                   });
    }

    // The handle keeps the ended process's object, which is signalled from its end on; the
    // access rights asked for include SYNCHRONIZE.
    bool Ended() override { return ::WaitForSingleObject(m_handle, 0) == WAIT_OBJECT_0; }

private:
    HANDLE m_handle;
};

std::string SystemMessage(DWORD error) {
    char text[256] = {};
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                         0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message + " (error " + std::to_string(error) + ")";
}

class Win32ProcessMemory final : public ProcessMemory {
public:
    OpenResult Open(std::uint32_t processId) override {
        HANDLE handle = ::OpenProcess(kAllAccess, FALSE, processId);
        if (handle == nullptr) {
            const DWORD error = ::GetLastError();
            std::string why = error == ERROR_ACCESS_DENIED
                                  ? "OpenProcess with all access rights was refused: run "
                                    "Kerbview with the same rights as RACE 07 (as administrator "
                                    "when the simulator runs elevated)"
                                  : "OpenProcess failed for process " + std::to_string(processId);
            // No process has that number (any more): its window outlived it for a moment.
            return {nullptr, why + ": " + SystemMessage(error) + ".",
                    error == ERROR_INVALID_PARAMETER};
        }
        return {std::make_unique<Win32ProcessReader>(handle), std::string()};
    }
};

}  // namespace

std::unique_ptr<ProcessMemory> MakeProcessMemory() {
    return std::make_unique<Win32ProcessMemory>();
}

}  // namespace kerbview::telemetry
