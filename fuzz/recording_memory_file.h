// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

#include "core/file_system.h"

namespace kerbview::fuzzing {

/// A writable file held in a string.
class MemoryFile final : public core::WritableFile {
public:
    explicit MemoryFile(std::string& bytes) : m_bytes(bytes) {}
    bool WriteAt(std::uint64_t offset, std::string_view bytes, std::error_code&) override {
        m_bytes.resize(std::max<std::size_t>(m_bytes.size(), offset + bytes.size()));
        m_bytes.replace(offset, bytes.size(), bytes);
        return true;
    }
    bool Resize(std::uint64_t length, std::error_code&) override {
        m_bytes.resize(length);
        return true;
    }

private:
    std::string& m_bytes;
};

}  // namespace kerbview::fuzzing
