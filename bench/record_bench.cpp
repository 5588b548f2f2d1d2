// SPDX-License-Identifier: MIT
// Time to export one hour of a stint scanned every 10 ms (360,000 samples) as CSV and as MoTeC
// CSV, to a stream that keeps nothing. The samples are made as they are pulled, as a recording
// hands them out, so the figure is the export's own.
#include <benchmark/benchmark.h>

#include <cmath>
#include <ostream>
#include <streambuf>

#include "record/export.h"

namespace {

using namespace kerbview;

constexpr std::uint32_t kHourSamples = 360000;

class NullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// An hour of driving: every value moves on every scan, laps of 90 s.
record::NextSample Hour() {
    return [i = std::uint32_t{0}](record::Sample& s) mutable {
        if (i == kHourSamples) return false;
        const double x = i * 0.001;
        s.timeMs = i * 10 + (i % 3);  // uneven scans
        telemetry::Snapshot& n = s.snapshot;
        n.DriverName = "Ann Driver";
        n.CarName = "BMW 320si";
        n.TrackName = "Anderstorp";
        n.OilTemp = static_cast<float>(100 + 5 * std::sin(x));
        n.WaterTemp = static_cast<float>(90 + 3 * std::cos(x));
        n.EngineSpeed = static_cast<float>(600 + 200 * std::sin(x * 7));
        n.EngineMaxSpeed = 880;
        n.LapNumber = static_cast<std::int16_t>(i / 9000);
        n.Fuel = static_cast<float>(80 - i * 0.0002);
        for (std::size_t z = 0; z < 12; ++z)
            n.TyreTemp[z] = static_cast<float>(80 + z + std::sin(x + z));
        for (std::size_t w = 0; w < 4; ++w) {
            n.TyrePressure[w] = static_cast<float>(180 + std::cos(x + w));
            n.WheelSpeed[w] = 150 + 40 * std::sin(x * 3 + w);
            n.TyreRatio[w] = 0.99 + 0.001 * std::sin(x + w);
            n.BrakeTemp[w] = static_cast<float>(400 + 100 * std::sin(x * 5 + w));
        }
        n.BarPercent1 = static_cast<float>(50 + 50 * std::sin(x * 11));
        n.BarPercent2 = static_cast<float>(50 - 50 * std::sin(x * 11));
        ++i;
        return true;
    };
}

void ExportHourCsv(benchmark::State& state) {
    NullBuffer buffer;
    std::ostream out(&buffer);
    for (auto _ : state) benchmark::DoNotOptimize(record::ExportCsv(Hour(), out));
}
BENCHMARK(ExportHourCsv)->Unit(benchmark::kMillisecond);

// Both passes: the survey, then the rows at 100 Hz.
void ExportHourMotec(benchmark::State& state) {
    NullBuffer buffer;
    std::ostream out(&buffer);
    record::StintFacts facts;
    facts.scanTime = 10;
    for (auto _ : state) {
        record::StintSurvey survey;
        record::Sample sample;
        for (const record::NextSample next = Hour(); next(sample);) survey.Add(sample);
        record::ExportMotecCsv(facts, survey, Hour(), out);
    }
}
BENCHMARK(ExportHourMotec)->Unit(benchmark::kMillisecond);

// Making the samples alone, to subtract.
void MakeHour(benchmark::State& state) {
    for (auto _ : state) {
        record::Sample sample;
        for (const record::NextSample next = Hour(); next(sample);)
            benchmark::DoNotOptimize(sample);
    }
}
BENCHMARK(MakeHour)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
