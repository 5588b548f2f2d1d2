// SPDX-License-Identifier: MIT
#include <ctime>

#include "core/wall_clock.h"

namespace kerbview::core {
namespace {

class PosixWallClock final : public WallClock {
public:
    WallTime Now() const override {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        if (::localtime_r(&now, &local) == nullptr) return {now, 0};
        return {now, static_cast<std::int32_t>(local.tm_gmtoff / 60)};
    }
};

}  // namespace

const WallClock& SystemWallClock() {
    static const PosixWallClock clock;
    return clock;
}

}  // namespace kerbview::core
