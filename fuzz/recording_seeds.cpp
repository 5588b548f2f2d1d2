// SPDX-License-Identifier: MIT
// Writes the seed recordings of recording_fuzz into a folder (fuzz/corpus/recording): a stint
// without scans, one short block, and three blocks of moving scans with texts that change.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "record/recording.h"
#include "recording_memory_file.h"

namespace {

using namespace kerbview;

void Save(const std::filesystem::path& path, int scans, std::uint32_t stepMs) {
    std::string bytes;
    record::RecordingWriter writer(std::make_unique<fuzzing::MemoryFile>(bytes),
                                   {"1.0.1", 1, static_cast<std::int16_t>(stepMs), "BMW 320si",
                                    "Anderstorp", "Ann", 1700000000, 60});
    telemetry::Snapshot s;
    s.DriverName = "Ann";
    s.SlotName = "Ann";
    s.TrackName = "Anderstorp";
    s.CarName = "BMW 320si";
    for (int i = 0; i < scans; ++i) {
        s.EngineSpeed = 700.0f + 3.5f * static_cast<float>(i);
        s.Fuel = 60.0f - 0.01f * static_cast<float>(i);
        s.TyreTemp[i % 12] += 0.25f;
        s.WheelSpeed[i % 4] = -40.0 - i;
        s.LapNumber = static_cast<std::int16_t>(i / 10);
        if (i == 12) s.SlotName = "Ann (pits)";
        writer.Append(static_cast<std::uint32_t>(i) * stepMs, s);
    }
    writer.Finish();
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: recording_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    Save(folder / "no_scans", 0, 10);
    Save(folder / "one_block", 4, 10);
    Save(folder / "three_blocks", 25, 100);
    return 0;
}
