// SPDX-License-Identifier: MIT
#include "core/file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

namespace kerbview::core {
namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

class PosixFile final : public WritableFile {
public:
    explicit PosixFile(int fd) : m_fd(fd) {}

    bool WriteAt(std::uint64_t offset, std::string_view bytes, std::error_code& error) override {
        while (!bytes.empty()) {
            const ssize_t put =
                ::pwrite(m_fd.Get(), bytes.data(), bytes.size(), static_cast<off_t>(offset));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                error = put < 0 ? LastError() : std::make_error_code(std::errc::io_error);
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(put));
            offset += static_cast<std::uint64_t>(put);
        }
        return true;
    }

    bool Resize(std::uint64_t length, std::error_code& error) override {
        if (::ftruncate(m_fd.Get(), static_cast<off_t>(length)) == 0) return true;
        error = LastError();
        return false;
    }

private:
    Descriptor m_fd;
};

class FolderLock final : public WriterLock {
public:
    explicit FolderLock(int fd) : m_fd(fd) {}

private:
    Descriptor m_fd;  // closing it releases the lock
};

class PosixFileSystem final : public FileSystem {
public:
    std::unique_ptr<WritableFile> Open(const std::filesystem::path& path, OpenMode mode,
                                       std::error_code& error) override {
        // O_NONBLOCK: opening a pipe for writing must not wait for a reader.
        const int flags = O_WRONLY | O_CLOEXEC | O_NONBLOCK |
                          (mode == OpenMode::CreateNew ? O_CREAT | O_EXCL : 0);
        const int fd = ::open(path.c_str(), flags, 0666);
        if (fd < 0) {
            error = LastError();
            return nullptr;
        }
        auto file = std::make_unique<PosixFile>(fd);
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            error = std::make_error_code(std::errc::invalid_argument);
            return nullptr;
        }
        return file;
    }

    // flock on the folder: it stays while the file is replaced by a rename, needs no file of
    // its own, and works in a folder this user may not write. Each open of the folder is a lock
    // of its own, between processes as between two stores of one process.
    LockAttempt TryLockWriters(const std::filesystem::path& file) override {
        const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return {};
        auto lock = std::make_unique<FolderLock>(fd);
        int result;
        do {
            result = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (result != 0 && errno == EINTR);
        if (result == 0) return {std::move(lock), false};
        return {nullptr, errno == EWOULDBLOCK};
    }

    bool Exchange(const std::filesystem::path& replacement, const std::filesystem::path& target,
                  std::error_code& error) override {
        return Rename(replacement, target, RENAME_EXCHANGE, error);
    }

    bool MoveNew(const std::filesystem::path& file, const std::filesystem::path& target,
                 std::error_code& error) override {
        return Rename(file, target, RENAME_NOREPLACE, error);
    }

private:
    // renameat2 with flags; a kernel or file system that lacks them says EINVAL or ENOSYS.
    static bool Rename(const std::filesystem::path& from, const std::filesystem::path& to,
                       unsigned flags, std::error_code& error) {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), flags) == 0) return true;
        error = errno == EINVAL || errno == ENOSYS
                    ? std::make_error_code(std::errc::operation_not_supported)
                    : LastError();
        return false;
    }
};

}  // namespace

std::unique_ptr<FileSystem> MakeFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace kerbview::core
