// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <string_view>
#include <utility>

#include "core/file_system.h"

namespace kerbview::core::testing {

/// The platform's file services with faults on demand: a folder where no new file may be made,
/// a disk that holds only so many bytes per file, and hooks that run once when a new file is
/// made and just before a file is moved into place (as another program writing the same file
/// at that moment would). Counts the new files made.
class FaultyFiles final : public FileSystem {
public:
    int newFiles = 0;
    bool refuseNewFiles = false;
    std::uint64_t room = std::numeric_limits<std::uint64_t>::max();
    std::function<void()> onNewFile;
    std::function<void()> beforeMove;

    std::unique_ptr<WritableFile> Open(const std::filesystem::path& path, OpenMode mode,
                                       std::error_code& error) override {
        if (mode == OpenMode::CreateNew) {
            ++newFiles;
            if (onNewFile) std::exchange(onNewFile, nullptr)();
            if (refuseNewFiles) {
                error = std::make_error_code(std::errc::permission_denied);
                return nullptr;
            }
        }
        std::unique_ptr<WritableFile> file = m_real->Open(path, mode, error);
        if (!file) return nullptr;
        return std::make_unique<Limited>(std::move(file), room);
    }
    LockAttempt TryLockWriters(const std::filesystem::path& file) override {
        return m_real->TryLockWriters(file);
    }
    bool Exchange(const std::filesystem::path& replacement, const std::filesystem::path& target,
                  std::error_code& error) override {
        if (beforeMove) std::exchange(beforeMove, nullptr)();
        return m_real->Exchange(replacement, target, error);
    }
    bool MoveNew(const std::filesystem::path& file, const std::filesystem::path& target,
                 std::error_code& error) override {
        if (beforeMove) std::exchange(beforeMove, nullptr)();
        return m_real->MoveNew(file, target, error);
    }

private:
    // Writes what fits below room, then fails as a full disk does.
    class Limited final : public WritableFile {
    public:
        Limited(std::unique_ptr<WritableFile> file, std::uint64_t room)
            : m_file(std::move(file)), m_room(room) {}
        bool WriteAt(std::uint64_t offset, std::string_view bytes,
                     std::error_code& error) override {
            const std::uint64_t fits = offset >= m_room ? 0 : m_room - offset;
            if (bytes.size() <= fits) return m_file->WriteAt(offset, bytes, error);
            m_file->WriteAt(offset, bytes.substr(0, fits), error);
            error = std::make_error_code(std::errc::no_space_on_device);
            return false;
        }
        bool Resize(std::uint64_t length, std::error_code& error) override {
            if (length <= m_room) return m_file->Resize(length, error);
            error = std::make_error_code(std::errc::no_space_on_device);
            return false;
        }

    private:
        std::unique_ptr<WritableFile> m_file;
        std::uint64_t m_room;
    };

    std::unique_ptr<FileSystem> m_real = MakeFileSystem();
};

}  // namespace kerbview::core::testing
