// SPDX-License-Identifier: MIT
#include "core/clock.h"

#include <chrono>

namespace kerbview::core {
namespace {

class SteadyClock final : public Clock {
public:
    std::int64_t NowMs() const override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

}  // namespace

const Clock& SystemClock() {
    static const SteadyClock clock;
    return clock;
}

}  // namespace kerbview::core
