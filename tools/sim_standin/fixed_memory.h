// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kerbview::standin {

/// A block of this process's memory at a fixed absolute address range, zero-filled, readable
/// and writable, released when destroyed. The simulator's telemetry lives here.
class FixedMemory {
public:
    /// Maps [start, end) rounded out to whole pages. Check Ok(); Error() says why it failed.
    FixedMemory(std::uint64_t start, std::uint64_t end);
    ~FixedMemory();
    FixedMemory(const FixedMemory&) = delete;
    FixedMemory& operator=(const FixedMemory&) = delete;

    bool Ok() const { return m_base != nullptr; }
    const std::string& Error() const { return m_error; }
    /// First mapped address and mapped length.
    std::uint64_t Start() const { return m_start; }
    std::size_t Size() const { return m_size; }
    unsigned char* Data() const { return static_cast<unsigned char*>(m_base); }

private:
    void* m_base = nullptr;
    std::uint64_t m_start = 0;
    std::size_t m_size = 0;
    std::string m_error;
};

/// Lets every process of the same user read this one's memory (ptrace access), as the
/// simulator's reader needs; returns an empty text or the reason it was refused.
std::string AllowMemoryReaders();

}  // namespace kerbview::standin
