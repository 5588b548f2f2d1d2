// SPDX-License-Identifier: MIT
// standin-record: the stand-in's session recorded as the program records a stint, without a
// window, at a fixed pace: the source of the recording the tests replay and export.
//
// The session: the player's car mid-way through its third lap; the recording takes the lap
// change into the fourth, that lap's pit stop with its refuel, the ignition off for six
// seconds and on again, the lap change after the pit lap, two green laps and the in lap of the
// next stop. The game's lap time trails each lap change by up to a scan. Scans come every scan
// time with a few milliseconds of deterministic jitter, as a timer's ticks do.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "record/recording.h"
#include "session_scans.h"

namespace {

using namespace kerbview;

constexpr int kScanMs = 500;
constexpr int kJitterMs = 12;
constexpr std::uint32_t kSeconds = 300;
constexpr std::uint32_t kIgnitionOffMs = 64'000;
constexpr std::uint32_t kIgnitionOnMs = 70'000;

int Fail(const std::string& what) {
    std::fprintf(stderr, "standin-record: %s\n", what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: standin-record OUT\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];

    standin::SessionScans scans;
    standin::SessionModel& model = scans.Model();
    while (model.PlayerLapCount() < 3) model.Step(0.02);
    model.Step(45.0);

    telemetry::Snapshot snapshot;
    if (!scans.Scan(snapshot)) return Fail("the session has no player's slot");
    record::StintFacts facts;
    facts.programVersion = KERBVIEW_VERSION;
    facts.role = 0;
    facts.scanTime = kScanMs;
    facts.car = snapshot.CarName;
    facts.track = snapshot.TrackName;
    facts.driver = snapshot.DriverName;
    facts.startUnixSeconds = 1'796'670'000;  // 2026-12-07 19:00:00 UTC, 20:00 there
    facts.utcOffsetMinutes = 60;

    std::error_code error;
    std::filesystem::remove(out, error);
    std::unique_ptr<core::FileSystem> files = core::MakeFileSystem();
    std::unique_ptr<core::WritableFile> file = files->Open(out, core::OpenMode::CreateNew, error);
    if (!file) return Fail(out.string() + ": " + error.message());
    record::RecordingWriter writer(std::move(file), facts);

    std::mt19937 jitter(2026);
    std::uint32_t timeMs = 0;
    while (timeMs <= kSeconds * 1000) {
        model.SetIgnition(timeMs < kIgnitionOffMs || timeMs >= kIgnitionOnMs);
        if (scans.Scan(snapshot) && !writer.Append(timeMs, snapshot)) break;
        const int step = kScanMs + static_cast<int>(jitter() % (2 * kJitterMs + 1)) - kJitterMs;
        model.Step(step / 1000.0);
        timeMs += static_cast<std::uint32_t>(step);
    }
    if (!writer.Finish()) return Fail(out.string() + ": " + writer.Error().message());
    return 0;
}
