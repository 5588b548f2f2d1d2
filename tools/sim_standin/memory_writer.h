// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kerbview::standin {

/// Writes little-endian values into a block that stands for absolute addresses
/// [start, start + size). A write that does not fit the block whole writes nothing.
class MemoryWriter {
public:
    MemoryWriter(unsigned char* data, std::uint64_t start, std::size_t size)
        : m_data(data), m_start(start), m_size(size) {}

    /// True when [address, address + count) lies inside the block.
    bool Holds(std::uint64_t address, std::size_t count) const {
        return address >= m_start && count <= m_size && address - m_start <= m_size - count;
    }
    bool Bytes(std::uint64_t address, const void* bytes, std::size_t count);
    bool Byte(std::uint64_t address, std::uint8_t value) { return Bytes(address, &value, 1); }
    bool Int32(std::uint64_t address, std::int32_t value);
    bool Single(std::uint64_t address, float value);
    bool Double(std::uint64_t address, double value);
    /// The text and one character 0 (the text is cut to fieldLength - 1 bytes when longer);
    /// the rest of the field is cleared.
    bool Text(std::uint64_t address, std::string_view text, std::size_t fieldLength);

private:
    unsigned char* m_data;
    std::uint64_t m_start;
    std::size_t m_size;
};

}  // namespace kerbview::standin
