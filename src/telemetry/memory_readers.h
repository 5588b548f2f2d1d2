// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/error_report.h"
#include "telemetry/process_memory.h"

namespace kerbview::telemetry {

/// The four readers of the simulator's memory. Each behaves as one platform read of its own
/// and never fails towards its caller: a read that transfers at least one byte is a successful
/// read (the bytes got are used, the rest of the value stays zero); nothing read gives 0, or a
/// one-character text holding character 0. Without a process (none set) every read counts as
/// nothing read.
///
/// Within a scan (BeginScan to EndScan) the readers are served, where they can be, from one
/// batched platform read of the ranges the previous scan read; the results are the same as
/// those of reading range by range.
class MemoryReaders {
public:
    explicit MemoryReaders(core::ErrorReporter& reporter) : m_reporter(reporter) {}

    /// The process read from; nullptr for none. Not owned. Forgets the ranges of earlier scans.
    void SetProcess(ProcessReader* process);
    bool HasProcess() const { return m_process != nullptr; }

    /// Starts a scan: reads every range the previous scan read with one batched platform read,
    /// and serves each read of this scan that asks for one of those ranges exactly from it.
    /// A batch that the platform cannot do, or that does not come back whole, is dropped: each
    /// read of this scan then goes to the platform on its own. Never throws.
    void BeginScan() const;
    /// Ends the scan; its reads that were read whole, in order, are the ranges the next scan
    /// reads in one batch.
    void EndScan() const;
    /// Whether a read of the scan under way, or of the last one ended, transferred anything.
    bool ScanReadAnything() const { return m_scan.readAnything; }
    /// Whether that scan asked for reads and every one of them failed.
    bool EveryReadOfTheScanFailed() const { return m_scan.asked && !m_scan.readAnything; }

    /// `count` bytes as a Windows-1252 text of `count` characters, zero bytes included (bytes
    /// past a short read are zero); "\0" (one character) when nothing was read or `count` is
    /// not positive.
    std::string ReadMemory(Address address, int count) const;

    /// `count` (1 to 4; larger counts read 4) bytes placed little-endian into a zeroed 32-bit
    /// buffer, of which the low 16 bits are the signed result: 0xFF with count 1 gives 255,
    /// 65537 gives 1, 40000 gives -25536. 0 when nothing was read.
    std::int16_t ReadMemoryInteger(Address address, int count) const;

    /// IEEE single from `count` (1 to 4; larger counts read 4) bytes in a zeroed 4-byte buffer;
    /// 0 when nothing was read.
    float ReadMemorySingle(Address address, int count) const;

    /// IEEE double from 8 bytes in a zeroed buffer; 0 when nothing was read.
    double ReadMemoryDouble(Address address) const;

private:
    // Fills buffer[0, count) with the bytes read and zeros after them; returns the bytes read.
    std::size_t Read(Address address, void* buffer, int count) const;
    // The bytes of `range` from this scan's batch, or nullptr when the batch does not hold it.
    const unsigned char* FromBatch(const ReadRange& range) const;

    core::ErrorReporter& m_reporter;
    ProcessReader* m_process = nullptr;

    // The batch is a cache of what the platform holds: filling it leaves the readers as they
    // are to their callers, so it may change under const.
    struct Batch {
        bool inScan = false;
        bool valid = false;               // this scan's batch came back whole
        std::vector<ReadRange> ranges;    // read in this scan's batch, in the previous scan's order
        std::vector<std::size_t> offset;  // of each range in bytes
        std::vector<unsigned char> bytes;
        std::size_t next = 0;          // the range the next read is expected to ask for
        std::vector<ReadRange> reads;  // this scan's reads so far
    };
    mutable Batch m_batch;
    struct ScanOutcome {
        bool asked = false;
        bool readAnything = false;
    };
    mutable ScanOutcome m_scan;
};

}  // namespace kerbview::telemetry
