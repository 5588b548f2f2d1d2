// SPDX-License-Identifier: MIT
#include "record/block_codec.h"

#include <bit>
#include <cstring>
#include <type_traits>

namespace kerbview::record {

namespace {

using telemetry::Snapshot;

/// Calls f on every number of a snapshot, in the wire's order: one channel each.
template <typename Snap, typename F>
void ForEachNumber(Snap& s, F&& f) {
    f(s.OilTemp);
    f(s.WaterTemp);
    f(s.Position);
    f(s.EngineSpeed);
    f(s.EngineMaxSpeed);
    f(s.Contact);
    f(s.LapNumber);
    f(s.Fuel);
    f(s.BestLap);
    f(s.LastLap);
    f(s.CentreReadout);
    for (auto& v : s.TyreTemp) f(v);
    for (auto& v : s.TyrePressure) f(v);
    for (auto& v : s.WheelSpeed) f(v);
    for (auto& v : s.TyreRatio) f(v);
    f(s.PitLimiter);
    f(s.InPits);
    f(s.TcState);
    f(s.AbsState);
    f(s.BarPercent1);
    f(s.BarPercent2);
    f(s.TrackTemp);
    f(s.AmbientTemp);
    f(s.DriverSlot);
    for (auto& v : s.BrakeTemp) f(v);
}

constexpr std::array<std::string Snapshot::*, kTextCount> kTexts = {
    &Snapshot::DriverName, &Snapshot::SlotName, &Snapshot::TrackName, &Snapshot::CarName};

template <typename T>
using Bits = std::conditional_t<sizeof(T) == 2, std::uint16_t,
                                std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>;

/// Channel bytes of one scan: the time, then every number.
std::size_t CountRows() {
    std::size_t rows = sizeof(std::uint32_t);
    Snapshot s;
    ForEachNumber(s, [&](auto& v) { rows += sizeof v; });
    return rows;
}

std::size_t Rows() {
    static const std::size_t rows = CountRows();
    return rows;
}

// A change of a channel is its bits minus the previous bits, modulo the channel's width, folded
// so that small steps either way have high bytes of zero (zigzag). Exact for every bit pattern,
// NaN and -0 included.
template <typename U>
U Fold(U bits, U previous) {
    const U d = static_cast<U>(bits - previous);
    return static_cast<U>(static_cast<U>(d << 1) ^ static_cast<U>(0 - (d >> (8 * sizeof(U) - 1))));
}
template <typename U>
U Unfold(U folded, U previous) {
    const U d = static_cast<U>((folded >> 1) ^ static_cast<U>(0 - (folded & 1)));
    return static_cast<U>(previous + d);
}

/// Frames a deflate payload: the scans' count and lengths, and the checksums.
void PutBlockHeader(std::string& out, std::size_t at, std::uint32_t compressed, std::uint32_t raw,
                    std::uint32_t samples, bool last, std::uint32_t payloadCrc) {
    std::string header;
    header.reserve(kBlockHeaderBytes);
    PutU32(header, compressed);
    PutU32(header, raw);
    PutU16(header, static_cast<std::uint16_t>(samples));
    PutU16(header, last ? kLastBlock : 0);
    PutU32(header, payloadCrc);
    PutU32(header, Crc32(header));
    std::memcpy(out.data() + at, header.data(), kBlockHeaderBytes);
}

/// The largest raw block: every scan changes every text to its longest.
std::size_t MaxRawBytes(std::uint32_t samples) {
    return samples * (1 + Rows() + kTextCount * (2 + kMaxTextBytes));
}

}  // namespace

void PutU16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}
void PutU32(std::string& out, std::uint32_t value) {
    PutU16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    PutU16(out, static_cast<std::uint16_t>(value >> 16));
}
void PutU64(std::string& out, std::uint64_t value) {
    PutU32(out, static_cast<std::uint32_t>(value & 0xFFFFFFFF));
    PutU32(out, static_cast<std::uint32_t>(value >> 32));
}
std::uint32_t GetU32(const unsigned char* b) {
    return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
           std::uint32_t{b[3]} << 24;
}
std::uint32_t Crc32(std::string_view bytes) {
    return static_cast<std::uint32_t>(crc32(crc32(0, nullptr, 0),
                                            reinterpret_cast<const Bytef*>(bytes.data()),
                                            static_cast<uInt>(bytes.size())));
}

bool ParseBlockHeader(std::string_view bytes, BlockHeader& header) {
    if (bytes.size() < kBlockHeaderBytes) return false;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    if (GetU32(b + 16) != Crc32(bytes.substr(0, 16))) return false;
    header.compressedBytes = GetU32(b);
    header.rawBytes = GetU32(b + 4);
    header.samples = std::uint32_t{b[8]} | std::uint32_t{b[9]} << 8;
    header.payloadCrc = GetU32(b + 12);
    const std::uint32_t flags = std::uint32_t{b[10]} | std::uint32_t{b[11]} << 8;
    if ((flags & ~std::uint32_t{kLastBlock}) != 0) return false;
    header.last = flags == kLastBlock;
    if (header.samples == 0) {
        return header.last && header.rawBytes == 0 && header.compressedBytes == 0 &&
               header.payloadCrc == 0;
    }
    if (header.samples > kMaxBlockSamples) return false;
    if (header.rawBytes < header.samples * (1 + Rows()) ||
        header.rawBytes > MaxRawBytes(header.samples)) {
        return false;
    }
    return header.compressedBytes > 0 && header.compressedBytes <= compressBound(header.rawBytes);
}

BlockEncoder::BlockEncoder() : m_planes(Rows() * kMaxBlockSamples) {
    // Raw deflate: the frame carries its own checksum and length. Level 1 keeps a block's
    // compression well under the scan budget; the deltas leave deflate little to search for.
    m_ready = deflateInit2(&m_zlib, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
}

BlockEncoder::~BlockEncoder() {
    if (m_ready) deflateEnd(&m_zlib);
}

void BlockEncoder::Add(std::uint32_t timeMs, const Snapshot& snapshot) {
    const std::uint32_t n = m_samples;
    if (n == 0) m_firstTime = timeMs;
    std::size_t row = 0;
    std::size_t channel = 0;
    auto put = [&](auto value) {
        using U = Bits<decltype(value)>;
        const U bits = std::bit_cast<U>(value);
        const U folded = Fold(bits, static_cast<U>(m_previous[channel]));
        m_previous[channel++] = bits;
        for (std::size_t i = 0; i < sizeof(U); ++i) {
            m_planes[(row++) * kMaxBlockSamples + n] =
                static_cast<unsigned char>(folded >> (8 * i));
        }
    };
    put(timeMs);
    ForEachNumber(snapshot, put);

    unsigned char flags = 0;
    for (std::size_t t = 0; t < kTextCount; ++t) {
        const std::string& full = snapshot.*kTexts[t];
        const std::string_view text(full.data(), std::min(full.size(), kMaxTextBytes));
        if (text == m_previousTexts[t]) continue;
        flags |= static_cast<unsigned char>(1u << t);
        m_previousTexts[t].assign(text);
        PutU16(m_texts, static_cast<std::uint16_t>(text.size()));
        m_texts.append(text);
    }
    m_flags[n] = flags;
    ++m_samples;
}

bool BlockEncoder::Seal(std::string& out, bool last) {
    const std::uint32_t n = m_samples;
    if (n == 0) {
        const std::size_t at = out.size();
        out.resize(at + kBlockHeaderBytes);
        PutBlockHeader(out, at, 0, 0, 0, true, 0);
        return true;
    }
    const std::size_t rows = Rows();
    m_raw.resize(n * (1 + rows) + m_texts.size());
    unsigned char* raw = reinterpret_cast<unsigned char*>(m_raw.data());
    std::memcpy(raw, m_flags.data(), n);
    for (std::size_t r = 0; r < rows; ++r) {
        std::memcpy(raw + n + r * n, m_planes.data() + r * kMaxBlockSamples, n);
    }
    std::memcpy(raw + n * (1 + rows), m_texts.data(), m_texts.size());

    // The next block is coded against zeros and empty texts: each block reads on its own.
    m_samples = 0;
    m_texts.clear();
    m_previous.fill(0);
    for (std::string& text : m_previousTexts) text.clear();

    if (!m_ready || deflateReset(&m_zlib) != Z_OK) return false;
    const std::size_t at = out.size();
    const uLong bound = deflateBound(&m_zlib, static_cast<uLong>(m_raw.size()));
    out.resize(at + kBlockHeaderBytes + bound);
    m_zlib.next_in = raw;
    m_zlib.avail_in = static_cast<uInt>(m_raw.size());
    m_zlib.next_out = reinterpret_cast<Bytef*>(out.data() + at + kBlockHeaderBytes);
    m_zlib.avail_out = static_cast<uInt>(bound);
    if (deflate(&m_zlib, Z_FINISH) != Z_STREAM_END) {
        out.resize(at);
        return false;
    }
    const auto compressed = static_cast<std::uint32_t>(bound - m_zlib.avail_out);
    out.resize(at + kBlockHeaderBytes + compressed);
    const std::string_view payload(out.data() + at + kBlockHeaderBytes, compressed);
    PutBlockHeader(out, at, compressed, static_cast<std::uint32_t>(m_raw.size()), n, last,
                   Crc32(payload));
    return true;
}

BlockDecoder::BlockDecoder() { m_ready = inflateInit2(&m_zlib, -15) == Z_OK; }

BlockDecoder::~BlockDecoder() {
    if (m_ready) inflateEnd(&m_zlib);
}

bool BlockDecoder::Load(const BlockHeader& header, std::string_view payload) {
    m_samples = 0;
    m_next = 0;
    if (header.samples == 0) return payload.empty();
    if (!m_ready || payload.size() != header.compressedBytes ||
        Crc32(payload) != header.payloadCrc || inflateReset(&m_zlib) != Z_OK) {
        return false;
    }
    m_raw.resize(header.rawBytes);
    m_zlib.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(payload.data()));
    m_zlib.avail_in = static_cast<uInt>(payload.size());
    m_zlib.next_out = m_raw.data();
    m_zlib.avail_out = static_cast<uInt>(m_raw.size());
    // The payload must inflate to exactly the raw length, and end there.
    if (inflate(&m_zlib, Z_FINISH) != Z_STREAM_END || m_zlib.avail_out != 0 ||
        m_zlib.avail_in != 0) {
        return false;
    }

    // Every change flag must name only the four texts, and the changed texts must fill the rest
    // of the block exactly, none longer than a writer keeps.
    const std::uint32_t n = header.samples;
    std::size_t at = n * (1 + Rows());
    for (std::uint32_t i = 0; i < n; ++i) {
        const unsigned char flags = m_raw[i];
        if (flags >> kTextCount) return false;
        for (std::size_t t = 0; t < kTextCount; ++t) {
            if (!(flags & (1u << t))) continue;
            if (m_raw.size() - at < 2) return false;
            const std::size_t length = m_raw[at] | std::size_t{m_raw[at + 1]} << 8;
            at += 2;
            if (length > kMaxTextBytes || m_raw.size() - at < length) return false;
            at += length;
        }
    }
    if (at != m_raw.size()) return false;

    m_samples = n;
    m_textAt = n * (1 + Rows());
    m_previous.fill(0);
    m_current = Sample{};
    return true;
}

bool BlockDecoder::Next(Sample& sample) {
    if (m_next >= m_samples) return false;
    const std::uint32_t n = m_samples;
    const std::uint32_t i = m_next++;
    const unsigned char* planes = m_raw.data() + n;
    std::size_t row = 0;
    std::size_t channel = 0;
    auto get = [&](auto& value) {
        using T = std::remove_reference_t<decltype(value)>;
        using U = Bits<T>;
        U folded = 0;
        for (std::size_t b = 0; b < sizeof(U); ++b) {
            folded = static_cast<U>(folded | static_cast<U>(U{planes[(row++) * n + i]} << (8 * b)));
        }
        const U bits = Unfold(folded, static_cast<U>(m_previous[channel]));
        m_previous[channel++] = bits;
        value = std::bit_cast<T>(bits);
    };
    get(m_current.timeMs);
    ForEachNumber(m_current.snapshot, get);

    const unsigned char flags = m_raw[i];
    for (std::size_t t = 0; t < kTextCount; ++t) {
        if (!(flags & (1u << t))) continue;
        const std::size_t length = m_raw[m_textAt] | std::size_t{m_raw[m_textAt + 1]} << 8;
        (m_current.snapshot.*kTexts[t])
            .assign(reinterpret_cast<const char*>(m_raw.data() + m_textAt + 2), length);
        m_textAt += 2 + length;
    }
    sample = m_current;
    return true;
}

}  // namespace kerbview::record
