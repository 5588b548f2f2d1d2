// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace kerbview::core {

/// A monotonic time source in milliseconds from an arbitrary origin, so that what depends on
/// time can be tested with a clock the test moves.
class Clock {
public:
    virtual ~Clock() = default;
    /// Milliseconds since the origin; never goes back.
    virtual std::int64_t NowMs() const = 0;
};

/// The system's monotonic clock. Holds no state; lives for the whole program.
const Clock& SystemClock();

}  // namespace kerbview::core
