// SPDX-License-Identifier: MIT
// Time to read one snapshot through the Linux /proc layer, and one window search over X11.
#include <benchmark/benchmark.h>

#include <sys/mman.h>
#include <unistd.h>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/error_report.h"
#include "telemetry/acquisition.h"
#include "telemetry/platform.h"

namespace {

using namespace kerbview;
using telemetry::Address;
using telemetry::MemoryMap;

// The memory map's range in this process, holding a small session: the player in slot 5.
class FixedImage {
public:
    FixedImage() {
        const MemoryMap map = telemetry::LoadMemoryMap();
        const auto page = static_cast<Address>(::sysconf(_SC_PAGESIZE));
        m_start = map.Lowest() / page * page;
        m_size = (map.End() + page - 1) / page * page - m_start;
        void* base = ::mmap(reinterpret_cast<void*>(m_start), m_size, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
        if (base != reinterpret_cast<void*>(m_start)) {
            m_size = 0;
            return;
        }
        Text(map.PlayerName, "Ann Driver\\Profiles");
        Text(MemoryMap::SlotField(map.SlotName, 5), "Ann Driver");
        Text(MemoryMap::SlotField(map.CarName, 5), "BMW 320si");
        Text(map.TrackPath, "Tracks\\Anderstorp.trk");
    }
    ~FixedImage() {
        if (m_size != 0) {
            ::munmap(reinterpret_cast<void*>(m_start), m_size);
        }
    }
    bool Ok() const { return m_size != 0; }
    void Text(Address address, const std::string& text) {
        std::memcpy(reinterpret_cast<void*>(address), text.c_str(), text.size() + 1);
    }

private:
    Address m_start = 0;
    Address m_size = 0;
};

void ReadSnapshot(benchmark::State& state, const char* playerName) {
    FixedImage image;
    if (!image.Ok()) {
        state.SkipWithError("cannot map the memory map's range");
        return;
    }
    image.Text(telemetry::LoadMemoryMap().PlayerName, playerName);
    auto memory = telemetry::MakeProcessMemory();
    telemetry::OpenResult opened = memory->Open(static_cast<std::uint32_t>(::getpid()));
    if (!opened.reader) {
        state.SkipWithError(opened.detail.c_str());
        return;
    }
    core::ErrorReporter reporter;
    telemetry::MemoryReaders readers(reporter);
    readers.SetProcess(opened.reader.get());
    telemetry::Acquisition acquisition(readers);
    telemetry::Snapshot snapshot;
    for (auto _ : state) {
        benchmark::DoNotOptimize(acquisition.Acquire(snapshot));
    }
}

// The usual tick: the player's slot is known, 53 reads.
void BM_SnapshotThroughProcMem(benchmark::State& state) {
    ReadSnapshot(state, "Ann Driver\\Profiles");
}
BENCHMARK(BM_SnapshotThroughProcMem);

// A player found in no slot: every tick also searches all 64 slots (117 reads).
void BM_SnapshotWithFullSlotSearch(benchmark::State& state) {
    ReadSnapshot(state, "Nobody\\Profiles");
}
BENCHMARK(BM_SnapshotWithFullSlotSearch);

void BM_FindWindowX11(benchmark::State& state) {
    if (std::getenv("DISPLAY") == nullptr) {
        state.SkipWithError("no X display");
        return;
    }
    auto windows = telemetry::MakeWindowFinder();
    for (auto _ : state) {
        benchmark::DoNotOptimize(windows->FindWindow("RACE 07"));
    }
}
BENCHMARK(BM_FindWindowX11);

}  // namespace

BENCHMARK_MAIN();
