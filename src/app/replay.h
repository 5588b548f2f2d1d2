// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "record/recording.h"

namespace kerbview::app {

/// The speeds a replay may play at (--replay-speed); the menu offers 0.5, 1, 2 and 4.
inline constexpr double kReplaySpeedMin = 0.25;
inline constexpr double kReplaySpeedMax = 8;

/// A recording played at its recorded pace against the program's clock, in place of the
/// simulator: which samples fall due at a time, at a speed, with pauses. Plain pacing; the
/// program takes the samples as it takes acquired snapshots.
class Replay {
public:
    /// reader has read its header. The first sample falls due at startMs; the others follow at
    /// their recorded distance from it, divided by speed (kReplaySpeedMin to kReplaySpeedMax).
    Replay(record::RecordingReader reader, std::int64_t startMs, double speed);

    /// Hands take every sample due at nowMs that it has not had yet, in recorded order. A
    /// paused replay is a paused game: its last sample comes again, once per call. Returns
    /// false once the recording has ended, its last samples handed out (Problem says why).
    bool TakeDue(std::int64_t nowMs, const std::function<void(const record::Sample&)>& take);

    /// Pause and speed take effect at nowMs: what has been played stays played.
    void SetPaused(bool paused, std::int64_t nowMs);
    void SetSpeed(double speed, std::int64_t nowMs);
    bool Paused() const { return m_paused; }
    double Speed() const { return m_speed; }
    /// The recording's own time at nowMs: where the replay has got to, on the clock its samples
    /// carry (Sample::timeMs), whatever the speed and pauses.
    std::int64_t RecordedMs(std::int64_t nowMs) const {
        return m_firstMs + static_cast<std::int64_t>(PlayedMs(nowMs));
    }
    /// The car of the last sample handed out; empty before.
    const std::string& Car() const { return m_car; }

    /// Why reading ended: None at a clean end or a cut file's last whole block.
    record::ReadProblem Problem() const { return m_reader.Problem(); }
    const std::string& Detail() const { return m_reader.Detail(); }

private:
    // Milliseconds of the recording played by nowMs, from the first sample.
    double PlayedMs(std::int64_t nowMs) const;

    record::RecordingReader m_reader;
    std::optional<record::Sample> m_next;
    std::optional<record::Sample> m_last;
    std::uint32_t m_firstMs = 0;
    std::int64_t m_baseNowMs;
    double m_basePlayedMs = 0;
    double m_speed;
    bool m_paused = false;
    std::string m_car;
};

}  // namespace kerbview::app
