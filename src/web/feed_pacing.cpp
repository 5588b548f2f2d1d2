// SPDX-License-Identifier: MIT
#include "web/feed_pacing.h"

namespace kerbview::web {

FeedStep BrowserPacing::Next(std::size_t backlog, bool haveDelta, Clock::time_point now) {
    if (backlog > m_limits.dropAbove) {
        return FeedStep::Drop;
    }
    if (m_behind) {
        if (backlog <= m_limits.resumeBelow) {
            m_behind = false;
            return FeedStep::SendFull;
        }
        return now - m_behindSince > m_limits.dropAfter ? FeedStep::Drop : FeedStep::Nothing;
    }
    if (!haveDelta) {
        return FeedStep::Nothing;
    }
    if (backlog > m_limits.skipAbove) {
        m_behind = true;
        m_behindSince = now;
        return FeedStep::Nothing;
    }
    return FeedStep::SendDelta;
}

}  // namespace kerbview::web
