// SPDX-License-Identifier: MIT
#include "recording_player.h"

#include <utility>

#include "snapshot_publisher.h"

namespace kerbview::standin {

RecordingPlayer::RecordingPlayer(const std::filesystem::path& path, bool loop)
    : m_path(path), m_loop(loop), m_reader(path) {}

void RecordingPlayer::Advance(double ms, MemoryWriter& memory) {
    m_playedMs += ms;
    std::optional<record::Sample> due;
    for (;;) {
        if (!m_next) {
            record::Sample sample;
            if (!m_reader.Next(sample)) {
                if (!m_loop || !due) break;
                // Round again from the start once the last sample has been published.
                m_reader = record::RecordingReader(m_path);
                m_playedMs = 0;
                break;
            }
            m_next = std::move(sample);
        }
        if (m_next->timeMs > m_playedMs) break;
        due = std::exchange(m_next, std::nullopt);
    }
    if (due) PublishSnapshot(due->snapshot, memory);
}

}  // namespace kerbview::standin
