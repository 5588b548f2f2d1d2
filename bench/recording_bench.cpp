// SPDX-License-Identifier: MIT
// The recording writer on the stand-in simulator's track scenario (every figure moves on every
// scan), acquired at 100 Hz as the program acquires it: one scan's Append averaged over many
// (block compressions and writes included), one block's seal, compression and write, and the
// size of an hour of recording.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/file_system.h"
#include "record/recording.h"
#include "session_scans.h"

namespace {

using namespace kerbview;

constexpr std::uint32_t kScanMs = 10;
constexpr int kScans = 10 * 60 * 1000 / kScanMs;  // ten minutes

/// Ten minutes of the track scenario at 100 Hz, acquired through the telemetry library.
const std::vector<telemetry::Snapshot>& TrackScans() {
    static const std::vector<telemetry::Snapshot> scans = [] {
        standin::SessionScans session;
        std::vector<telemetry::Snapshot> out;
        out.reserve(kScans);
        telemetry::Snapshot snapshot;
        for (int i = 0; i < kScans; ++i) {
            session.Model().Step(kScanMs / 1000.0);
            session.Model().SetTrackPhase(i * 2);  // the stand-in moves it every 5 ms
            if (session.Scan(snapshot)) out.push_back(snapshot);
        }
        return out;
    }();
    return scans;
}

/// A new file in the temporary folder, removed at the end.
class TempFile {
public:
    TempFile()
        : m_path(std::filesystem::temp_directory_path() /
                 ("kerbview-bench-" + std::to_string(std::random_device{}()) + ".kvr")) {}
    ~TempFile() {
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
    }
    std::unique_ptr<core::WritableFile> Open() {
        std::error_code error;
        return core::MakeFileSystem()->Open(m_path, core::OpenMode::CreateNew, error);
    }
    std::uintmax_t Size() const { return std::filesystem::file_size(m_path); }

private:
    std::filesystem::path m_path;
};

const record::StintFacts kFacts{"1.0.1", 1, kScanMs, "Seat Leon", "Anderstorp", "Ann", 0, 0};

// One scan's Append, block compressions and writes included, on average.
void BM_AppendScan(benchmark::State& state) {
    const std::vector<telemetry::Snapshot>& scans = TrackScans();
    TempFile file;
    record::RecordingWriter writer(file.Open(), kFacts);
    std::uint32_t timeMs = 0;
    std::size_t i = 0;
    for (auto _ : state) {
        if (!writer.Append(timeMs, scans[i])) {
            state.SkipWithError(writer.Error().message().c_str());
            break;
        }
        timeMs += kScanMs;
        if (++i == scans.size()) i = 0;
    }
    state.counters["bytes_per_scan"] =
        static_cast<double>(writer.BytesWritten()) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_AppendScan);

// The Append that ends a second of scans: the block's seal, compression and write.
void BM_SealBlock(benchmark::State& state) {
    const std::vector<telemetry::Snapshot>& scans = TrackScans();
    TempFile file;
    record::RecordingWriter writer(file.Open(), kFacts);
    std::uint32_t timeMs = 0;
    std::size_t i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (std::uint32_t k = 0; k + 1 < record::kBlockSpanMs / kScanMs; ++k) {
            writer.Append(timeMs, scans[i]);
            timeMs += kScanMs;
            i = (i + 1) % scans.size();
        }
        const std::uint64_t before = writer.BytesWritten();
        state.ResumeTiming();
        writer.Append(timeMs + record::kBlockSpanMs, scans[i]);
        timeMs += record::kBlockSpanMs + kScanMs;
        i = (i + 1) % scans.size();
        if (writer.BytesWritten() == before) {
            state.SkipWithError("the block was not written");
            break;
        }
    }
}
BENCHMARK(BM_SealBlock);

// Ten minutes of the track scenario written whole; the size of an hour at 100 Hz.
void BM_TenMinutes(benchmark::State& state) {
    const std::vector<telemetry::Snapshot>& scans = TrackScans();
    for (auto _ : state) {
        TempFile file;
        record::RecordingWriter writer(file.Open(), kFacts);
        std::uint32_t timeMs = 0;
        for (const telemetry::Snapshot& scan : scans) {
            writer.Append(timeMs, scan);
            timeMs += kScanMs;
        }
        writer.Finish();
        const double hours = timeMs / 3'600'000.0;
        state.counters["scans"] = static_cast<double>(scans.size());
        state.counters["MB_per_hour"] = static_cast<double>(file.Size()) / hours / 1e6;
    }
}
BENCHMARK(BM_TenMinutes)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
