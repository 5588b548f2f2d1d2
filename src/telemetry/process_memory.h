// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kerbview::telemetry {

/// An absolute address in the simulator's address space.
using Address = std::uint64_t;

/// An open process, readable at absolute addresses. Owns its operating-system handle and
/// releases it when destroyed.
class ProcessReader {
public:
    virtual ~ProcessReader() = default;

    /// Copies `count` bytes at `address` into `buffer` with one platform read. Returns `count`,
    /// or 0 when the range could not be read whole (nothing counts as read). Never throws.
    virtual std::size_t Read(Address address, void* buffer, std::size_t count) = 0;
};

/// Result of opening a process: a reader, or none and a reason.
struct OpenResult {
    std::unique_ptr<ProcessReader> reader;
    /// When `reader` is empty: one line, in the platform's own terms, saying what is missing
    /// (for example a permission) followed by the system's error text.
    std::string detail;
};

/// Opens other processes for reading.
class ProcessMemory {
public:
    virtual ~ProcessMemory() = default;

    /// Opens process `processId` for reading. Never throws for a refused or missing process.
    virtual OpenResult Open(std::uint32_t processId) = 0;
};

/// The process memory service of the platform this program is built for.
std::unique_ptr<ProcessMemory> MakeProcessMemory();

}  // namespace kerbview::telemetry
