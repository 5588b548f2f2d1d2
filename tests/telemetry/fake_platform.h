// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "telemetry/game_link.h"
#include "telemetry/memory_map.h"
#include "telemetry/process_memory.h"
#include "telemetry/snapshot.h"
#include "telemetry/window_finder.h"

namespace kerbview::telemetry::testing {

/// A process memory image: bytes at absolute addresses; everything else is unreadable.
/// Records every read so tests can count and order them.
class MemoryImage {
public:
    void Bytes(Address address, std::vector<std::uint8_t> bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i) m_bytes[address + i] = bytes[i];
    }
    void Text(Address address, std::string_view text) {
        Bytes(address, std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    void Int32(Address address, std::int32_t value) { Raw(address, value); }
    void Single(Address address, float value) { Raw(address, value); }
    void Double(Address address, double value) { Raw(address, value); }

    void Unreadable(Address address, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) m_bytes.erase(address + i);
    }

    /// As a process read: the bytes up to the first unreadable one; the rest of the buffer is
    /// scribbled over, as the contract allows.
    std::size_t Read(Address address, void* buffer, std::size_t count) {
        m_reads.push_back(address);
        return Copy(address, static_cast<std::uint8_t*>(buffer), count);
    }
    /// As process_vm_readv: range after range, stopping at the first one not read whole.
    std::size_t ReadBatch(std::span<const ReadRange> ranges, void* buffer) {
        auto* out = static_cast<std::uint8_t*>(buffer);
        std::size_t total = 0;
        for (const ReadRange& r : ranges) {
            const std::size_t got = Copy(r.address, out + total, r.count);
            total += got;
            if (got != r.count) break;
        }
        return total;
    }

    const std::vector<Address>& Reads() const { return m_reads; }
    void ClearReads() { m_reads.clear(); }

private:
    template <typename T>
    void Raw(Address address, T value) {  // the test host is little-endian
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&value);
        Bytes(address, {bytes, bytes + sizeof value});
    }

    std::size_t Copy(Address address, std::uint8_t* out, std::size_t count) const {
        for (std::size_t i = 0; i < count; ++i) {
            const auto it = m_bytes.find(address + i);
            if (it == m_bytes.end()) {
                std::memset(out + i, 0xEE, count - i);
                return i;
            }
            out[i] = it->second;
        }
        return count;
    }

    std::map<Address, std::uint8_t> m_bytes;
    std::vector<Address> m_reads;
};

/// A reader over an image; with `batched`, it has a batched read as Linux has. It has ended
/// once `ended` (when given) says so.
class FakeReader final : public ProcessReader {
public:
    FakeReader(std::shared_ptr<MemoryImage> image, int& open, bool batched = false,
               std::function<bool()> ended = {})
        : m_image(std::move(image)), m_open(open), m_batched(batched), m_ended(std::move(ended)) {
        ++m_open;
    }
    ~FakeReader() override { --m_open; }
    std::size_t Read(Address address, void* buffer, std::size_t count) override {
        return m_image->Read(address, buffer, count);
    }
    std::size_t ReadBatch(std::span<const ReadRange> ranges, void* buffer) override {
        return m_batched ? m_image->ReadBatch(ranges, buffer) : 0;
    }
    bool Ended() override { return m_ended && m_ended(); }

private:
    std::shared_ptr<MemoryImage> m_image;
    int& m_open;
    bool m_batched;
    std::function<bool()> m_ended;
};

/// Opens readers over one image (another program's memory is an empty image), or refuses with
/// a fixed reason; a process in `ended` is gone, also after it was opened. Counts opens and
/// live readers.
class FakeProcessMemory final : public ProcessMemory {
public:
    std::shared_ptr<MemoryImage> image = std::make_shared<MemoryImage>();
    std::set<std::uint32_t> otherPrograms;
    std::set<std::uint32_t> ended;
    bool refuse = false;
    int opens = 0;
    int openReaders = 0;
    std::uint32_t lastProcessId = 0;

    OpenResult Open(std::uint32_t processId) override {
        ++opens;
        lastProcessId = processId;
        if (ended.contains(processId)) return {nullptr, "no such process", true};
        if (refuse) return {nullptr, "no permission"};
        return {std::make_unique<FakeReader>(
                    otherPrograms.contains(processId) ? std::make_shared<MemoryImage>() : image,
                    openReaders, false, [this, processId] { return ended.contains(processId); }),
                {}};
    }
};

/// Windows with the simulator's title, in search order: `window` (owned by `processId`), then
/// `later`. Windows passed over are skipped until the test takes them away.
class FakeWindowFinder final : public WindowFinder {
public:
    WindowId window = 0;
    std::uint32_t processId = 4242;
    std::vector<std::pair<WindowId, std::uint32_t>> later;
    std::set<WindowId> passedOver;

    WindowId FindWindow(std::string_view) override {
        if (window != 0 && !passedOver.contains(window)) return window;
        for (const auto& [w, pid] : later) {
            if (!passedOver.contains(w)) return w;
        }
        return 0;
    }
    void PassOver(WindowId w) override {
        if (w != 0) passedOver.insert(w);
    }
    std::uint32_t WindowProcessId(WindowId w) override {
        if (w != 0 && w == window) return processId;
        for (const auto& [other, pid] : later) {
            if (other == w) return pid;
        }
        return 0;
    }
};

/// What a link's steps found, in order: the states reached, the open failures.
struct LinkRecord {
    std::vector<LinkStatus> statuses;
    std::vector<std::string> failures;

    /// One attach step; whether the simulator counts as running.
    bool Tick(GameLink& link) {
        const LinkStep step = link.RACE07_Actiu();
        if (step.status) statuses.push_back(*step.status);
        if (step.openFailure) failures.push_back(*step.openFailure);
        return step.running;
    }
    /// Ticks until the link runs; the number of false ticks before it (limit at most).
    int TicksUntilRunning(GameLink& link, int limit = 10000) {
        int waited = 0;
        while (!Tick(link) && waited < limit) ++waited;
        return waited;
    }
};

/// One value put in the simulator's memory.
struct MemoryWrite {
    enum Kind { Text, Byte, Int32, Single, Double } kind;
    Address address;
    double number = 0;   // for Text: the length of the field read back
    std::string text{};  // written with one character 0 after it
};

/// A coherent session: the player "Ann Driver" in slot 5, every field of the map set.
inline std::vector<MemoryWrite> SessionWrites() {
    using W = MemoryWrite;
    const MemoryMap m = LoadMemoryMap();
    const auto at = [](Address slot0) { return MemoryMap::SlotField(slot0, 5); };
    // clang-format off
    std::vector<W> writes = {
        {W::Text, m.PlayerName, 30, "Ann Driver\\Profiles\\x"},
        {W::Text, at(m.SlotName), 24, "Ann Driver"}, {W::Text, at(m.CarName), 50, "BMW 320si"},
        {W::Int32, at(m.Position), 65539},  // only the low 16 bits count: 3
        {W::Single, at(m.EngineSpeed), 800.5}, {W::Single, at(m.EngineMaxSpeed), 890},
        {W::Int32, at(m.LapNumber), 6}, {W::Single, at(m.Fuel), 42.25},
        {W::Single, at(m.BestLap), 61.5}, {W::Single, at(m.LastLap), 62.25},
        {W::Int32, at(m.CentreReadout), -4}, {W::Byte, at(m.InPits), 1},
        {W::Double, m.OilTemp, 373.15}, {W::Double, m.WaterTemp, 363.15}, {W::Byte, m.Contact, 1},
        {W::Text, m.TrackPath, 50, "Tracks\\Anderstorp.trk"}, {W::Byte, m.PitLimiter, 1},
        {W::Byte, m.TcState, 2}, {W::Byte, m.AbsState, 255}, {W::Single, m.BarPercent1, 0.5},
        {W::Single, m.BarPercent2, 0.25}, {W::Single, m.TrackTemp, 31.5},
        {W::Single, m.AmbientTemp, 22.25}};
    for (int w = 0; w < 4; ++w) {
        const auto f = [&](Address offset) { return m.WheelField(w, offset); };
        const Address tyre = m.Wheel.TyreTemp;
        // Only the left wheels' factors count; the right ones must never be used.
        const double radius = w == 0 ? 0.284 : w == 2 ? 0.568 : 99.0;
        writes.insert(writes.end(), {
            {W::Double, f(tyre), 353.15 + 3 * w}, {W::Double, f(tyre + 8), 354.15 + 3 * w},
            {W::Double, f(tyre + 16), 355.15 + 3 * w}, {W::Double, f(m.Wheel.TyrePressure), 190.5 + w},
            {W::Double, f(m.Wheel.BrakeTemp), 573.15 + 10 * w},
            {W::Double, f(m.Wheel.Rotation), -50.0 - 10 * w},
            {W::Double, f(m.Wheel.TyreRatio), 1.0 - 0.25 * w}, {W::Double, f(m.Wheel.RadiusFactor), radius}});
    }
    // clang-format on
    return writes;
}

/// What SessionWrites() reads as.
inline Snapshot SessionSnapshot() {
    Snapshot s;
    s.DriverName = "Ann Driver", s.OilTemp = 100.0f, s.WaterTemp = 90.0f;
    s.SlotName = "Ann Driver", s.Position = 3, s.EngineSpeed = 800.5f, s.EngineMaxSpeed = 890.0f;
    s.Contact = 1, s.LapNumber = 7, s.Fuel = 42.25f, s.BestLap = 61.5f, s.LastLap = 62.25f;
    s.CentreReadout = -4, s.TyreTemp = {80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91};
    s.TyrePressure = {190.5f, 191.5f, 192.5f, 193.5f}, s.TyreRatio = {1.0, 0.75, 0.5, 0.25};
    s.TrackName = "Anderstorp", s.PitLimiter = 1, s.InPits = 1, s.TcState = 2, s.AbsState = 255;
    s.BarPercent1 = 50.0f, s.BarPercent2 = 25.0f, s.TrackTemp = 31.5f, s.AmbientTemp = 22.25f;
    s.DriverSlot = 5, s.BrakeTemp = {300, 310, 320, 330}, s.CarName = "BMW 320si";
    s.WheelSpeed = {50.0, 60.0, 140.0, 160.0};
    return s;
}

/// Checks that got is SessionSnapshot(); wheel speeds (rotation x -1.0 x the axle's left-wheel
/// factor / 0.284) to within rounding.
inline void ExpectSessionSnapshot(const Snapshot& got) {
    Snapshot s = SessionSnapshot();
    for (std::size_t w = 0; w < 4; ++w) EXPECT_DOUBLE_EQ(got.WheelSpeed[w], s.WheelSpeed[w]) << w;
    s.WheelSpeed = got.WheelSpeed;
    EXPECT_EQ(got, s);
}

/// Puts the writes into the image; the rest of a text's field is readable zeros, as in a process.
inline void Apply(MemoryImage& image, const std::vector<MemoryWrite>& writes) {
    using enum MemoryWrite::Kind;
    for (const MemoryWrite& w : writes) {
        const auto n = static_cast<std::int64_t>(w.number);  // the number, whole
        switch (w.kind) {
            case Text: image.Text(w.address, w.text + std::string(n - w.text.size(), '\0')); break;
            case Byte: image.Bytes(w.address, {static_cast<std::uint8_t>(n)}); break;
            case Int32: image.Int32(w.address, static_cast<std::int32_t>(n)); break;
            case Single: image.Single(w.address, static_cast<float>(w.number)); break;
            case Double: image.Double(w.address, w.number); break;
        }
    }
}

/// The stand-in simulator's command line for a write.
inline std::string StandinCommand(const MemoryWrite& w) {
    static const char* const verbs[] = {"text", "byte", "int32", "single", "double"};
    char head[64];
    std::snprintf(head, sizeof head, "%s 0x%llX ", verbs[w.kind],
                  static_cast<unsigned long long>(w.address));
    char number[40];
    std::snprintf(number, sizeof number, "%.17g", w.number);
    return head + (w.kind == MemoryWrite::Text ? w.text : std::string(number));
}

}  // namespace kerbview::telemetry::testing
