// SPDX-License-Identifier: MIT
// The inside of one block (docs/recording-format.md): its scans as per-channel changes, laid out
// channel byte by channel byte, the texts only where they change; deflated and framed with a
// length, a count and CRC-32 checksums. Private to the recording library.
#pragma once

#include <zlib.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "record/recording.h"
#include "telemetry/snapshot.h"

namespace kerbview::record {

/// Bytes of a block's frame before its compressed payload: compressed length, raw length,
/// scan count, flags, payload CRC-32, and the CRC-32 of those 16 bytes.
inline constexpr std::size_t kBlockHeaderBytes = 20;
/// The four texts of a snapshot, in the order of their change bits.
inline constexpr std::size_t kTextCount = 4;

/// A block's frame header as read, before its payload is.
struct BlockHeader {
    std::uint32_t compressedBytes = 0;
    std::uint32_t rawBytes = 0;
    std::uint32_t samples = 0;
    std::uint32_t payloadCrc = 0;
    bool last = false;  ///< the stint's end: Finish wrote it
};

/// The flag of the block that ends a stint.
inline constexpr std::uint16_t kLastBlock = 1;

/// Parses and checks a block's frame header: its own checksum, a count within
/// 1..kMaxBlockSamples (or the empty end block: no scans, no payload) and lengths a writer can
/// have made. False when any is wrong.
bool ParseBlockHeader(std::string_view bytes, BlockHeader& header);

void PutU16(std::string& out, std::uint16_t value);
void PutU32(std::string& out, std::uint32_t value);
void PutU64(std::string& out, std::uint64_t value);
std::uint32_t GetU32(const unsigned char* bytes);
std::uint32_t Crc32(std::string_view bytes);

/// Collects the scans of the block in progress and seals them into one framed block. Every
/// buffer is kept from block to block: adding a scan allocates nothing once they have grown.
class BlockEncoder {
public:
    BlockEncoder();
    ~BlockEncoder();
    BlockEncoder(const BlockEncoder&) = delete;
    BlockEncoder& operator=(const BlockEncoder&) = delete;

    /// False when zlib could not be set up (no memory); nothing can then be sealed.
    bool Ready() const { return m_ready; }
    void Add(std::uint32_t timeMs, const telemetry::Snapshot& snapshot);
    std::uint32_t Samples() const { return m_samples; }
    std::uint32_t FirstTime() const { return m_firstTime; }
    /// Appends the framed block of the scans added to out (with no scans, the empty end block)
    /// and starts a new block; `last` marks the stint's end. False, out as it was, when
    /// compression failed.
    bool Seal(std::string& out, bool last);

private:
    std::vector<unsigned char> m_planes;  // row (channel byte) by row, kMaxBlockSamples each
    std::array<unsigned char, kMaxBlockSamples> m_flags{};
    std::string m_texts;
    std::array<std::uint64_t, 64> m_previous{};  // each channel's last bits
    std::array<std::string, kTextCount> m_previousTexts;
    std::string m_raw;
    std::uint32_t m_samples = 0;
    std::uint32_t m_firstTime = 0;
    z_stream m_zlib{};
    bool m_ready = false;
};

/// Holds one block, checked whole when loaded, and hands out its scans in order.
class BlockDecoder {
public:
    BlockDecoder();
    ~BlockDecoder();
    BlockDecoder(const BlockDecoder&) = delete;
    BlockDecoder& operator=(const BlockDecoder&) = delete;

    /// Inflates and checks the payload of a block whose header was checked. False when the
    /// payload's checksum, length or contents are wrong; the block is then empty.
    bool Load(const BlockHeader& header, std::string_view payload);
    /// Forgets the block loaded.
    void Clear() { m_samples = m_next = 0; }
    /// The next scan of the block; false when the block is used up.
    bool Next(Sample& sample);

private:
    std::vector<unsigned char> m_raw;
    std::uint32_t m_samples = 0;
    std::uint32_t m_next = 0;
    std::size_t m_textAt = 0;  // the next changed text in m_raw
    std::array<std::uint64_t, 64> m_previous{};
    Sample m_current;
    z_stream m_zlib{};
    bool m_ready = false;
};

}  // namespace kerbview::record
