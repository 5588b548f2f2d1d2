// SPDX-License-Identifier: MIT
#include "core/file_system.h"

#include <algorithm>
#include <string>

#include <windows.h>

namespace kerbview::core {
namespace {

// Win32 error codes with the system's own texts; the common ones compare equal to std::errc.
class Win32Category final : public std::error_category {
public:
    const char* name() const noexcept override { return "win32"; }
    std::string message(int code) const override {
        char text[256] = {};
        DWORD length =
            ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
        while (length > 0 &&
               (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == '.')) {
            --length;
        }
        return length > 0 ? std::string(text, length) : "error " + std::to_string(code);
    }
    std::error_condition default_error_condition(int code) const noexcept override {
        switch (code) {
            case ERROR_FILE_EXISTS:
            case ERROR_ALREADY_EXISTS: return std::errc::file_exists;
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND: return std::errc::no_such_file_or_directory;
            case ERROR_ACCESS_DENIED: return std::errc::permission_denied;
            case ERROR_DISK_FULL:
            case ERROR_HANDLE_DISK_FULL: return std::errc::no_space_on_device;
            default: return {code, *this};
        }
    }
};

std::error_code LastError() {
    static const Win32Category category;
    return {static_cast<int>(::GetLastError()), category};
}

class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() {
        if (m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

class Win32File final : public WritableFile {
public:
    explicit Win32File(HANDLE handle) : m_handle(handle) {}

    bool WriteAt(std::uint64_t offset, std::string_view bytes, std::error_code& error) override {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            OVERLAPPED at = At(offset);
            DWORD put = 0;
            if (!::WriteFile(m_handle.Get(), bytes.data(), chunk, &put, &at) || put == 0) {
                error = LastError();
                return false;
            }
            bytes.remove_prefix(put);
            offset += put;
        }
        return true;
    }

    bool Resize(std::uint64_t length, std::error_code& error) override {
        LARGE_INTEGER to{};
        to.QuadPart = static_cast<LONGLONG>(length);
        if (::SetFilePointerEx(m_handle.Get(), to, nullptr, FILE_BEGIN) &&
            ::SetEndOfFile(m_handle.Get())) {
            return true;
        }
        error = LastError();
        return false;
    }

private:
    Handle m_handle;
};

// The byte locked: far past the end of any settings file, so that the lock never stands in
// the way of reading or writing the file's content (Windows locks are mandatory).
constexpr std::uint64_t kLockOffset = 0x40000000;

class RangeLock final : public WriterLock {
public:
    explicit RangeLock(HANDLE handle) : m_handle(handle) {}

private:
    Handle m_handle;  // closing it releases the lock
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class Win32FileSystem final : public FileSystem {
public:
    std::unique_ptr<WritableFile> Open(const std::filesystem::path& path, OpenMode mode,
                                       std::error_code& error) override {
        const HANDLE handle =
            ::CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr,
                          mode == OpenMode::CreateNew ? CREATE_NEW : OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            error = LastError();
            return nullptr;
        }
        auto file = std::make_unique<Win32File>(handle);
        if (::GetFileType(handle) != FILE_TYPE_DISK) {
            error = std::make_error_code(std::errc::invalid_argument);
            return nullptr;
        }
        return file;
    }

    // LockFileEx on a hidden file beside the settings file, "<name>.lock", which stays there:
    // the settings file itself is replaced by each write. Where no file can be made (a folder
    // this user may not write), every write goes in place, and the settings file is locked.
    LockAttempt TryLockWriters(const std::filesystem::path& file) override {
        std::filesystem::path sidecar = file;
        sidecar += L".lock";
        HANDLE handle = ::CreateFileW(sidecar.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            handle = ::CreateFileW(file.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        }
        if (handle == INVALID_HANDLE_VALUE) return {};
        auto lock = std::make_unique<RangeLock>(handle);
        OVERLAPPED at = At(kLockOffset);
        if (::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                         &at)) {
            return {std::move(lock), false};
        }
        return {nullptr, ::GetLastError() == ERROR_LOCK_VIOLATION};
    }

    // Windows has no exchange of two names in one step. Emulating one with two renames would
    // leave a moment without any file of that name, in which another copy starting up would
    // read every default and store them.
    bool Exchange(const std::filesystem::path&, const std::filesystem::path&,
                  std::error_code& error) override {
        error = std::make_error_code(std::errc::operation_not_supported);
        return false;
    }

    bool MoveNew(const std::filesystem::path& file, const std::filesystem::path& target,
                 std::error_code& error) override {
        if (::MoveFileExW(file.c_str(), target.c_str(), 0)) return true;
        error = LastError();
        return false;
    }
};

}  // namespace

std::unique_ptr<FileSystem> MakeFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace kerbview::core
