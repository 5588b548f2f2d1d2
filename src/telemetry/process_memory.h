// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace kerbview::telemetry {

/// An absolute address in the simulator's address space.
using Address = std::uint64_t;

/// `count` bytes at `address`: one range of a batched read.
struct ReadRange {
    Address address = 0;
    std::size_t count = 0;
    bool operator==(const ReadRange&) const = default;
};

/// An open process, readable at absolute addresses. Owns its operating-system handle and
/// releases it when destroyed.
class ProcessReader {
public:
    virtual ~ProcessReader() = default;

    /// Copies up to `count` bytes at `address` into `buffer` with one platform read. Returns
    /// the number of bytes transferred, from the start of the range: `count` when the range
    /// was read whole, fewer when it runs into memory that cannot be read (a short read; the
    /// platform reports how far it got, as ReadProcessMemory does with ERROR_PARTIAL_COPY),
    /// 0 when nothing could be read. Bytes of `buffer` past the transferred ones may hold
    /// anything. Never throws.
    virtual std::size_t Read(Address address, void* buffer, std::size_t count) = 0;

    /// Reads every range with as few platform reads as the platform allows, placing the
    /// ranges' bytes one after another in `buffer` (the sum of the counts long). Returns that
    /// sum when every range was read whole; any other result means the batch is not to be
    /// used, and the caller reads range by range with Read. The default has no batched read
    /// and returns 0. Never throws.
    virtual std::size_t ReadBatch(std::span<const ReadRange> ranges, void* buffer) {
        (void)ranges;
        (void)buffer;
        return 0;
    }

    /// True once the process this reader was opened for has ended: nothing can be read from it
    /// any more. A reader that cannot tell answers false. Never throws.
    virtual bool Ended() { return false; }
};

/// A batched read for a platform that reads one block of memory per call: ranges that lie at
/// most `maxGap` bytes apart are read together as one spanned block (at most `maxBlock` bytes;
/// a range longer than that is a block of its own), with one call of `readBlock(address,
/// scratch, size)`, which returns true only when it read all `size` bytes. Each range's bytes
/// are then copied into place as ProcessReader::ReadBatch lays them out. Returns the sum of
/// the counts, or 0 as soon as a block fails.
std::size_t ReadInSpannedBlocks(std::span<const ReadRange> ranges, void* buffer, std::size_t maxGap,
                                std::size_t maxBlock,
                                const std::function<bool(Address, void*, std::size_t)>& readBlock);

/// Result of opening a process: a reader, or none and a reason.
struct OpenResult {
    std::unique_ptr<ProcessReader> reader;
    /// When `reader` is empty: one line, in the platform's own terms, saying what is missing
    /// (for example a permission) followed by the system's error text.
    std::string detail;
    /// When `reader` is empty: the process no longer exists, which is no failure to tell the
    /// user about (its window outlived it for a moment).
    bool gone = false;
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
