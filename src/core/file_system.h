// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>

/// The few file services the settings-file writer needs beyond std::filesystem: unbuffered
/// writes at an offset, so a failure is seen where it happens, a lock between writers, and
/// renames that never lose the file they would replace.
/// One implementation per platform (file_system_linux.cpp, file_system_win32.cpp); tests hand
/// the writer a FileSystem that fails on purpose.
namespace kerbview::core {

/// An open file, writable. Owns its descriptor or handle and closes it when destroyed.
class WritableFile {
public:
    virtual ~WritableFile() = default;
    /// Writes all of bytes at offset. False with error set when not all of them were written
    /// (the file may then hold part of them).
    virtual bool WriteAt(std::uint64_t offset, std::string_view bytes, std::error_code& error) = 0;
    /// Cuts the file, or extends it with zero bytes, to length. False with error set on failure.
    virtual bool Resize(std::uint64_t length, std::error_code& error) = 0;
};

/// Held while one writer reads, changes and writes back a file; released when destroyed.
class WriterLock {
public:
    virtual ~WriterLock() = default;
};

enum class OpenMode {
    CreateNew,  ///< a new file; fails when the name exists
    Existing,   ///< an existing file, as it is (never truncated)
};

/// What one try at the writers' lock gave.
struct LockAttempt {
    std::unique_ptr<WriterLock> lock;  ///< held lock, or empty
    bool busy = false;  ///< empty because another writer holds it; else locking is impossible here
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    /// Opens path for writing. Empty with error set on failure.
    virtual std::unique_ptr<WritableFile> Open(const std::filesystem::path& path, OpenMode mode,
                                               std::error_code& error) = 0;
    /// Tries once, without waiting, to take the lock every writer of file takes, in any process.
    /// The lock lives beside the file, never in it: the file itself is replaced by each write.
    virtual LockAttempt TryLockWriters(const std::filesystem::path& file) = 0;
    /// In one step, gives replacement (a file in target's folder) the name target and target's
    /// file the name replacement, so that the caller can look at the file it replaced. Fails
    /// with std::errc::operation_not_supported, changing nothing, where the system cannot
    /// exchange two files (Windows, or a file system without the means).
    virtual bool Exchange(const std::filesystem::path& replacement,
                          const std::filesystem::path& target, std::error_code& error) = 0;
    /// Gives file the name target in one step, unless target exists (std::errc::file_exists):
    /// never replaces a file. Fails with std::errc::operation_not_supported, changing nothing,
    /// where the system cannot tell in the same step.
    virtual bool MoveNew(const std::filesystem::path& file, const std::filesystem::path& target,
                         std::error_code& error) = 0;
};

/// The file services of the platform this program is built for.
std::unique_ptr<FileSystem> MakeFileSystem();

}  // namespace kerbview::core
