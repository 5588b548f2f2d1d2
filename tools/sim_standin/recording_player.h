// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>

#include "memory_writer.h"
#include "record/recording.h"

namespace kerbview::standin {

/// A Kerbview recording played into the simulator's memory in place of the session: each
/// sample at its recorded time from the start; at its end the last sample stays, or with `loop`
/// the recording starts again. Both stand-ins play through it.
class RecordingPlayer {
public:
    RecordingPlayer(const std::filesystem::path& path, bool loop);
    /// False when the recording cannot be read (not even its header).
    bool Ok() const { return m_reader.Ok(); }
    /// Lets ms of the recording pass and publishes the last sample now due, if any: memory
    /// holds one state, so of several samples due only the last is what a reader finds.
    void Advance(double ms, MemoryWriter& memory);

private:
    std::filesystem::path m_path;
    bool m_loop;
    record::RecordingReader m_reader;
    std::optional<record::Sample> m_next;
    double m_playedMs = 0;
};

}  // namespace kerbview::standin
