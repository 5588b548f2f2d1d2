// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "core/faulty_files.h"
#include "core/temp_dir.h"
#include "record/recording.h"

namespace kerbview::record {
namespace {

using telemetry::Snapshot;

/// A file in memory that keeps where each write began.
class MemoryFile final : public core::WritableFile {
public:
    explicit MemoryFile(std::string& bytes, std::vector<std::size_t>& writes)
        : m_bytes(bytes), m_writes(writes) {}
    bool WriteAt(std::uint64_t offset, std::string_view bytes, std::error_code&) override {
        m_writes.push_back(offset);
        m_bytes.resize(std::max<std::size_t>(m_bytes.size(), offset + bytes.size()));
        m_bytes.replace(offset, bytes.size(), bytes);
        return true;
    }
    bool Resize(std::uint64_t length, std::error_code&) override {
        m_bytes.resize(length);
        return true;
    }

private:
    std::string& m_bytes;
    std::vector<std::size_t>& m_writes;
};

const StintFacts kFacts{"1.0.1", 1, 10, "Seat Leon", "Anderstorp", "Ana Lopez\xE9", 1700000000, 60};

/// A moving scan: every number changes a little from one scan to the next, as telemetry does.
Snapshot Moving(int i) {
    Snapshot s;
    s.DriverName = "Ana";
    s.SlotName = "Slot 5";
    s.TrackName = "Anderstorp";
    s.CarName = "Seat Leon";
    const float x = static_cast<float>(i) * 0.01f;
    s.OilTemp = 90 + std::sin(x);
    s.WaterTemp = 85 + x * 0.1f;
    s.EngineSpeed = 700 + 300 * std::sin(x * 3);
    s.EngineMaxSpeed = 900;
    s.Position = static_cast<std::int16_t>(1 + i / 100 % 12);
    s.LapNumber = static_cast<std::int16_t>(i / 6000);
    s.Fuel = 60 - x * 0.01f;
    for (std::size_t k = 0; k < s.TyreTemp.size(); ++k) s.TyreTemp[k] = 80 + std::cos(x + k);
    for (std::size_t k = 0; k < 4; ++k) {
        s.TyrePressure[k] = 180 + std::sin(x * 2 + k);
        s.WheelSpeed[k] = -50 * std::sin(x / 3 + k * 0.01);
        s.TyreRatio[k] = 1 + 0.01 * std::cos(x * 5 + k);
        s.BrakeTemp[k] = 300 + 100 * std::sin(x / 2 + k);
    }
    s.BarPercent1 = 50 + 50 * std::sin(x * 7);
    s.DriverSlot = 5;
    return s;
}

/// Odd numbers live in these three fields only (Same compares them by their bits).
void Odd(Snapshot& s, float f, double d) {
    s.OilTemp = f;
    s.BrakeTemp[3] = f;
    s.WheelSpeed[2] = d;
}

/// Equal bit for bit: NaN payloads and the sign of zero count.
bool Same(Sample a, Sample b) {
    auto bits = [](const Sample& s) {
        return std::tuple(std::bit_cast<std::uint32_t>(s.snapshot.OilTemp),
                          std::bit_cast<std::uint32_t>(s.snapshot.BrakeTemp[3]),
                          std::bit_cast<std::uint64_t>(s.snapshot.WheelSpeed[2]));
    };
    if (bits(a) != bits(b)) return false;
    Odd(a.snapshot, 0, 0);
    Odd(b.snapshot, 0, 0);
    return a == b;
}

struct Written {
    std::string bytes;
    std::vector<std::size_t> writes;  // where each write began
};

Written Write(const std::vector<Sample>& samples) {
    Written w;
    RecordingWriter writer(std::make_unique<MemoryFile>(w.bytes, w.writes), kFacts);
    for (const Sample& s : samples) EXPECT_TRUE(writer.Append(s.timeMs, s.snapshot));
    EXPECT_TRUE(writer.Finish());
    EXPECT_EQ(writer.BytesWritten(), w.bytes.size());
    return w;
}

std::vector<Sample> ReadAll(RecordingReader& reader) {
    std::vector<Sample> read;
    for (Sample s; reader.Next(s);) read.push_back(s);
    return read;
}

/// `count` moving scans, one every `stepMs`.
std::vector<Sample> Stint(std::uint32_t count, std::uint32_t stepMs = 10) {
    std::vector<Sample> samples;
    for (std::uint32_t i = 0; i < count; ++i) samples.push_back({i * stepMs, Moving(i)});
    return samples;
}

TEST(Recording, ReadsBackEveryScanBitForBit) {
    const float nan = std::bit_cast<float>(0x7FC01234u);
    const double nanD = std::bit_cast<double>(0xFFF8000000ABCDEFull);
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<Sample> samples = Stint(250);
    // Odd numbers, texts that change and come back, a text too long to keep whole, times that
    // jump, stand still (more scans than a block holds) and run on.
    const std::vector<std::function<void(Snapshot&)>> odd = {
        [&](Snapshot& s) { Odd(s, nan, nanD); },
        [&](Snapshot& s) { Odd(s, -0.0f, -0.0); },
        [&](Snapshot& s) { Odd(s, inf, -std::numeric_limits<double>::infinity()); },
        [&](Snapshot& s) { Odd(s, std::numeric_limits<float>::denorm_min(), 1e308); },
        [&](Snapshot& s) { Odd(s, -inf, std::numeric_limits<double>::quiet_NaN()); },
        [&](Snapshot& s) { s.Position = std::numeric_limits<std::int16_t>::min(); },
        [&](Snapshot& s) { s.LapNumber = std::numeric_limits<std::int16_t>::max(); },
        [&](Snapshot& s) { s.DriverName = "Ana\x80\xFF"; },
        [&](Snapshot& s) {
            s.DriverName = "Ana\x80\xFF";
            s.TrackName.clear();
        },
        [&](Snapshot& s) { s.SlotName = std::string(kMaxTextBytes, 'x'); },
        [&](Snapshot& s) { s.CarName = std::string(kMaxTextBytes + 7, 'y'); },
    };
    for (std::size_t k = 0; k < odd.size(); ++k) odd[k](samples[40 + 20 * k].snapshot);
    std::uint32_t t = samples.back().timeMs;
    for (const std::uint32_t gap : {5000u, 0u, 1u, 999u, 1000u, 65536u}) {
        samples.push_back({t += gap, Moving(static_cast<int>(t))});
    }
    for (int i = 0; i < 600; ++i) samples.push_back({t, Moving(i)});
    for (int i = 0; i < 150; ++i) samples.push_back({t += 7, Moving(i)});
    // The last scan's jump seals its block: the stint ends with a last block of no scans.
    samples.push_back({0xFFFFFFFFu, Moving(1)});

    const Written w = Write(samples);
    std::vector<Sample> expected = samples;
    expected[40 + 20 * 10].snapshot.CarName.resize(kMaxTextBytes);
    EXPECT_GE(w.writes.size(), 8u);

    RecordingReader reader = RecordingReader::FromBytes(w.bytes);
    ASSERT_TRUE(reader.Ok());
    EXPECT_EQ(reader.Facts(), kFacts);
    const std::vector<Sample> read = ReadAll(reader);
    ASSERT_EQ(read.size(), expected.size());
    const auto differs = std::mismatch(read.begin(), read.end(), expected.begin(), Same).first;
    EXPECT_TRUE(differs == read.end()) << "scan " << differs - read.begin();
    EXPECT_EQ(reader.Problem(), ReadProblem::None);
    EXPECT_FALSE(reader.CutShort());
}

TEST(Recording, FileCutAnywhereReadsBackItsWholeBlocks) {
    const std::vector<Sample> samples = Stint(25, 100);  // blocks of 11, 11 and 3 scans
    const Written w = Write(samples);
    ASSERT_EQ(w.writes.size(), 3u);
    for (std::size_t cut = 0; cut <= w.bytes.size(); ++cut) {
        RecordingReader reader = RecordingReader::FromBytes(w.bytes.substr(0, cut));
        const std::vector<Sample> read = ReadAll(reader);
        // The scans of the blocks that end at or before the cut.
        const std::size_t whole = cut < w.writes[1]      ? 0
                                  : cut < w.writes[2]    ? 11
                                  : cut < w.bytes.size() ? 22
                                                         : 25;
        ASSERT_EQ(read.size(), whole) << "cut at " << cut;
        ASSERT_TRUE(std::equal(read.begin(), read.end(), samples.begin())) << "cut at " << cut;
        ASSERT_EQ(reader.Problem(), ReadProblem::None) << "cut at " << cut;
        ASSERT_EQ(reader.CutShort(), cut < w.bytes.size()) << "cut at " << cut;
        if (cut < 12 || cut >= w.writes[1]) {
            ASSERT_EQ(reader.Ok(), cut >= w.writes[1]) << "cut at " << cut;
        }
    }
}

// The file's fields are little-endian, as the test host is.
std::uint32_t Field(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

/// Rewrites a block header's field and its checksum, as a forger would.
void Forge(std::string& bytes, std::size_t block, std::size_t field, std::uint32_t value,
           std::size_t width) {
    std::memcpy(bytes.data() + block + field, &value, width);
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + block), 16));
    std::memcpy(bytes.data() + block + 16, &crc, 4);
}

TEST(Recording, ProblemsAreTypedAndKeepTheScansBeforeThem) {
    const Written w = Write(Stint(230));
    const std::size_t second = w.writes[1];
    // Most faults damage the second block: its number is told, and its first block's scans kept.
    struct Case {
        const char* name;
        std::function<void(std::string&)> change;
        ReadProblem problem = ReadProblem::DamagedBlock;
        std::string detail = "2";
        std::size_t scans = 101;
    };
    const std::vector<Case> cases = {
        {"payload byte", [&](std::string& b) { b[second + 30] ^= 1; }},
        {"length byte", [&](std::string& b) { b[second] ^= 1; }},
        {"no scans", [&](std::string& b) { Forge(b, second, 8, 0, 2); }},
        {"too many scans", [&](std::string& b) { Forge(b, second, 8, kMaxBlockSamples + 1, 2); }},
        {"raw length", [&](std::string& b) { Forge(b, second, 4, Field(b, second + 4) + 1, 4); }},
        {"huge length", [&](std::string& b) { Forge(b, second, 0, 0xFFFFFFF0u, 4); }},
        {"unknown flag", [&](std::string& b) { Forge(b, second, 10, 2, 2); }},
        {"facts", [](std::string& b) { b[20] ^= 1; }, ReadProblem::DamagedBlock, "0", 0},
        {"newer", [](std::string& b) { b[8] = 2; }, ReadProblem::NewerVersion, "2", 0},
        {"settings file", [](std::string& b) { b = "[Settings]\r\nUnits=1\r\n"; },
         ReadProblem::NotARecording, "", 0},
        {"text-mode copy", [](std::string& b) { b.erase(4, 1); }, ReadProblem::NotARecording, "",
         0},
    };
    for (const Case& c : cases) {
        std::string bytes = w.bytes;
        c.change(bytes);
        RecordingReader reader = RecordingReader::FromBytes(bytes);
        EXPECT_EQ(ReadAll(reader).size(), c.scans) << c.name;
        EXPECT_EQ(reader.Problem(), c.problem) << c.name;
        EXPECT_EQ(reader.Detail(), c.detail) << c.name;
        EXPECT_FALSE(reader.CutShort()) << c.name;
    }

    const core::testing::TempDir dir;
    const RecordingReader missing(dir.File("none.kvr"));
    EXPECT_EQ(missing.Problem(), ReadProblem::CannotOpen);
    EXPECT_FALSE(missing.Detail().empty());
}

TEST(Recording, FailedWriteStopsTheWriterAndLeavesAReadableFile) {
    const std::vector<Sample> samples = Stint(400);
    const Written whole = Write(samples);
    // A disk that fills up within the header, at a block's end, and inside the third block.
    for (const std::size_t room : {std::size_t{10}, whole.writes[2], whole.writes[2] + 500}) {
        const core::testing::TempDir dir;
        core::testing::FaultyFiles files;
        files.room = room;
        std::error_code error;
        RecordingWriter writer(files.Open(dir.File("stint.kvr"), core::OpenMode::CreateNew, error),
                               kFacts);
        std::size_t appended = 0;
        while (appended < samples.size() &&
               writer.Append(samples[appended].timeMs, samples[appended].snapshot)) {
            ++appended;
        }
        EXPECT_LT(appended, samples.size()) << room;
        EXPECT_EQ(writer.Error(), std::errc::no_space_on_device) << room;
        EXPECT_FALSE(writer.Append(samples[0].timeMs, samples[0].snapshot));
        EXPECT_FALSE(writer.Finish());
        const std::string bytes = dir.Read("stint.kvr");
        EXPECT_EQ(bytes.size(), std::min(room, whole.bytes.size())) << room;

        RecordingReader reader(dir.File("stint.kvr"));
        const std::vector<Sample> read = ReadAll(reader);
        EXPECT_EQ(read.size(), room < whole.writes[1] ? 0u : 202u) << room;
        EXPECT_TRUE(std::equal(read.begin(), read.end(), samples.begin())) << room;
        EXPECT_TRUE(reader.CutShort()) << room;
        EXPECT_EQ(reader.Problem(), ReadProblem::None) << room;
    }
}

}  // namespace
}  // namespace kerbview::record
