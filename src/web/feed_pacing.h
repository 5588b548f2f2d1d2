// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>

namespace kerbview::web {

/// Bounds on what waits, unsent, for one browser.
struct PacingLimits {
    /// A browser with more than this waiting gets no further deltas: it has fallen behind.
    std::size_t skipAbove = 64 * 1024;
    /// A browser that fell behind gets the whole state again once no more than this waits.
    std::size_t resumeBelow = 16 * 1024;
    /// A browser with more than this waiting is dropped at once (only answers to its own
    /// messages can add to what waits while it is behind).
    std::size_t dropAbove = 256 * 1024;
    /// A browser that stays behind this long is dropped.
    std::chrono::milliseconds dropAfter{10000};
};

/// What to do for one browser at one publication.
enum class FeedStep { Nothing, SendDelta, SendFull, Drop };

/// Keeps a browser that stops reading from slowing the program or holding memory: it is
/// skipped while its backlog is large and brought to the latest state once the backlog has
/// drained; if it never drains, or the backlog grows past the hard bound, it is dropped.
class BrowserPacing {
public:
    using Clock = std::chrono::steady_clock;

    explicit BrowserPacing(PacingLimits limits = {}) : m_limits(limits) {}

    /// The step for a publication at time now, with backlog bytes still unsent to this browser
    /// and haveDelta telling whether there are changes to send.
    FeedStep Next(std::size_t backlog, bool haveDelta, Clock::time_point now);
    /// True while the browser is being skipped.
    bool Behind() const { return m_behind; }

private:
    PacingLimits m_limits;
    bool m_behind = false;
    Clock::time_point m_behindSince{};
};

}  // namespace kerbview::web
