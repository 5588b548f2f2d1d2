// SPDX-License-Identifier: MIT
// libFuzzer target for the recording reader: the input is a whole recording file. Reading it
// must end without a crash or a huge allocation, and what it reads, written again by the
// writer and read back, must write the very same file again (the writer's output is a fixed
// point of reading), facts and every bit of every scan included.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "record/recording.h"
#include "recording_memory_file.h"

namespace {

using namespace kerbview;

void Require(bool holds) {
    if (!holds) std::abort();
}

/// Reads a recording whole and writes what it read into a new one.
std::string Rewrite(std::string bytes, bool& cleanEnd) {
    record::RecordingReader reader = record::RecordingReader::FromBytes(std::move(bytes));
    std::string out;
    if (!reader.Ok()) {
        Require(!reader.CutShort() || reader.Problem() == record::ReadProblem::None);
        record::Sample sample;
        Require(!reader.Next(sample));
        cleanEnd = false;
        return out;
    }
    record::RecordingWriter writer(std::make_unique<fuzzing::MemoryFile>(out), reader.Facts());
    record::Sample sample;
    while (reader.Next(sample)) Require(writer.Append(sample.timeMs, sample.snapshot));
    Require(writer.Finish());
    cleanEnd = reader.Problem() == record::ReadProblem::None && !reader.CutShort();
    if (reader.Problem() != record::ReadProblem::None) Require(!reader.CutShort());
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    bool clean = false;
    const std::string once = Rewrite(std::string(reinterpret_cast<const char*>(data), size), clean);
    if (once.empty()) return 0;
    const std::string twice = Rewrite(once, clean);
    Require(clean);
    Require(twice == once);
    return 0;
}
