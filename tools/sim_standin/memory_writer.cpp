// SPDX-License-Identifier: MIT
#include "memory_writer.h"

#include <algorithm>
#include <cstring>

namespace kerbview::standin {

namespace {

template <typename T>
void ToLittleEndian(T value, unsigned char (&bytes)[sizeof(T)]) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
    }
}

}  // namespace

bool MemoryWriter::Bytes(std::uint64_t address, const void* bytes, std::size_t count) {
    if (!Holds(address, count)) {
        return false;
    }
    std::memcpy(m_data + (address - m_start), bytes, count);
    return true;
}

bool MemoryWriter::Int32(std::uint64_t address, std::int32_t value) {
    unsigned char bytes[4];
    ToLittleEndian(value, bytes);
    return Bytes(address, bytes, sizeof bytes);
}

bool MemoryWriter::Single(std::uint64_t address, float value) {
    unsigned char bytes[4];
    ToLittleEndian(value, bytes);
    return Bytes(address, bytes, sizeof bytes);
}

bool MemoryWriter::Double(std::uint64_t address, double value) {
    unsigned char bytes[8];
    ToLittleEndian(value, bytes);
    return Bytes(address, bytes, sizeof bytes);
}

bool MemoryWriter::Text(std::uint64_t address, std::string_view text, std::size_t fieldLength) {
    if (fieldLength == 0 || !Holds(address, fieldLength)) {
        return false;
    }
    unsigned char* field = m_data + (address - m_start);
    std::memset(field, 0, fieldLength);
    std::memcpy(field, text.data(), std::min(text.size(), fieldLength - 1));
    return true;
}

}  // namespace kerbview::standin
