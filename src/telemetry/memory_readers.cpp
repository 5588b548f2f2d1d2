// SPDX-License-Identifier: MIT
#include "telemetry/memory_readers.h"

#include <algorithm>
#include <cstring>

namespace kerbview::telemetry {

namespace {

// Little-endian value of a 4-byte buffer, independent of the host's byte order.
std::uint32_t LittleEndian32(const unsigned char (&bytes)[4]) {
    return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) |
           (std::uint32_t{bytes[2]} << 16) | (std::uint32_t{bytes[3]} << 24);
}

}  // namespace

void MemoryReaders::SetProcess(ProcessReader* process) {
    m_process = process;
    m_batch = Batch{};
}

void MemoryReaders::BeginScan() const {
    Batch& b = m_batch;
    b.inScan = true;
    b.valid = false;
    m_scan = ScanOutcome{};
    b.next = 0;
    b.reads.clear();
    if (m_process == nullptr || b.ranges.empty()) {
        return;
    }
    try {
        b.reads.reserve(b.ranges.size() + 8);
        b.offset.resize(b.ranges.size());
        std::size_t total = 0;
        for (std::size_t i = 0; i < b.ranges.size(); ++i) {
            b.offset[i] = total;
            total += b.ranges[i].count;
        }
        b.bytes.resize(total);
        b.valid = m_process->ReadBatch(b.ranges, b.bytes.data()) == total;
    } catch (...) {
        b.valid = false;  // no room for the batch: this scan reads range by range
    }
}

void MemoryReaders::EndScan() const {
    Batch& b = m_batch;
    std::swap(b.ranges, b.reads);
    b.reads.clear();
    b.inScan = false;
    b.valid = false;
}

const unsigned char* MemoryReaders::FromBatch(const ReadRange& range) const {
    Batch& b = m_batch;
    // The scan reads what the previous one read, in the same order; a read that differs (a
    // slot search, a changed slot) is looked for among all the ranges.
    const std::size_t n = b.ranges.size();
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = (b.next + k) % n;
        if (b.ranges[i] == range) {
            b.next = i + 1;
            return b.bytes.data() + b.offset[i];
        }
    }
    return nullptr;
}

std::size_t MemoryReaders::Read(Address address, void* buffer, int count) const {
    m_scan.asked = true;
    if (m_process == nullptr || count <= 0) {
        return 0;
    }
    const auto wanted = static_cast<std::size_t>(count);
    if (m_batch.inScan) {
        const ReadRange range{address, wanted};
        try {
            m_batch.reads.push_back(range);
        } catch (...) {
            m_batch.valid = false;
        }
        if (m_batch.valid) {
            if (const unsigned char* bytes = FromBatch(range)) {
                std::memcpy(buffer, bytes, wanted);
                m_scan.readAnything = true;
                return wanted;
            }
        }
    }
    const std::size_t got = std::min(m_process->Read(address, buffer, wanted), wanted);
    m_scan.readAnything = m_scan.readAnything || got > 0;
    // What a short read did not reach stays zero.
    std::memset(static_cast<unsigned char*>(buffer) + got, 0, wanted - got);
    // A range that cannot be read whole would make every later batch come back short.
    if (m_batch.inScan && got != wanted && !m_batch.reads.empty()) {
        m_batch.reads.pop_back();
    }
    return got;
}

std::string MemoryReaders::ReadMemory(Address address, int count) const {
    try {
        std::string text(static_cast<std::size_t>(std::max(count, 0)), '\0');
        if (Read(address, text.data(), count) == 0) {
            return std::string(1, '\0');
        }
        return text;
    } catch (...) {
        m_reporter.ReportCurrentException("ReadMemory");
        return std::string();
    }
}

std::int16_t MemoryReaders::ReadMemoryInteger(Address address, int count) const {
    unsigned char bytes[4] = {0, 0, 0, 0};
    if (Read(address, bytes, std::min(count, 4)) == 0) {
        return 0;
    }
    // The low 16 bits taken as a two's complement number.
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(LittleEndian32(bytes) & 0xFFFFu));
}

float MemoryReaders::ReadMemorySingle(Address address, int count) const {
    unsigned char bytes[4] = {0, 0, 0, 0};
    if (Read(address, bytes, std::min(count, 4)) == 0) {
        return 0.0f;
    }
    const std::uint32_t bits = LittleEndian32(bytes);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double MemoryReaders::ReadMemoryDouble(Address address) const {
    unsigned char bytes[8] = {};
    if (Read(address, bytes, 8) == 0) {
        return 0.0;
    }
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) {
        bits = (bits << 8) | bytes[i];
    }
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace kerbview::telemetry
