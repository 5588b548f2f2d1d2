// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "core/error_report.h"
#include "telemetry/process_memory.h"

namespace kerbview::telemetry {

/// The four readers of the simulator's memory. Each issues exactly one platform read and never
/// fails towards its caller: nothing read gives 0, or a one-character text holding character 0.
/// Without a process (none set) every read counts as nothing read.
class MemoryReaders {
public:
    explicit MemoryReaders(core::ErrorReporter& reporter) : m_reporter(reporter) {}

    /// The process read from; nullptr for none. Not owned.
    void SetProcess(ProcessReader* process) { m_process = process; }
    bool HasProcess() const { return m_process != nullptr; }

    /// `count` bytes as a Windows-1252 text of `count` characters, zero bytes included;
    /// "\0" (one character) when nothing was read or `count` is not positive.
    std::string ReadMemory(Address address, int count) const;

    /// `count` (1 to 4; larger counts read 4) bytes placed little-endian into a zeroed 32-bit
    /// buffer, of which the low 16 bits are the signed result: 0xFF with count 1 gives 255,
    /// 65537 gives 1, 40000 gives -25536. 0 when nothing was read.
    std::int16_t ReadMemoryInteger(Address address, int count) const;

    /// IEEE single from `count` (1 to 4; larger counts read 4) bytes in a zeroed 4-byte buffer;
    /// 0 when nothing was read.
    float ReadMemorySingle(Address address, int count) const;

    /// IEEE double from 8 bytes; 0 when nothing was read.
    double ReadMemoryDouble(Address address) const;

private:
    std::size_t Read(Address address, void* buffer, int count) const;

    core::ErrorReporter& m_reporter;
    ProcessReader* m_process = nullptr;
};

}  // namespace kerbview::telemetry
