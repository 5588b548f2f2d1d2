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

std::size_t MemoryReaders::Read(Address address, void* buffer, int count) const {
    if (m_process == nullptr || count <= 0) {
        return 0;
    }
    return m_process->Read(address, buffer, static_cast<std::size_t>(count));
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
