// SPDX-License-Identifier: MIT
#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

#include "telemetry/process_memory.h"

namespace kerbview::telemetry {

std::size_t ReadInSpannedBlocks(std::span<const ReadRange> ranges, void* buffer, std::size_t maxGap,
                                std::size_t maxBlock,
                                const std::function<bool(Address, void*, std::size_t)>& readBlock) {
    // Where each range's bytes go in the buffer, and the ranges in address order.
    std::vector<std::size_t> offset(ranges.size());
    std::size_t total = 0;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        offset[i] = total;
        total += ranges[i].count;
    }
    std::vector<std::size_t> order(ranges.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return ranges[a].address < ranges[b].address;
    });

    auto* out = static_cast<unsigned char*>(buffer);
    std::vector<unsigned char> scratch;
    for (std::size_t first = 0; first < order.size();) {
        const Address start = ranges[order[first]].address;
        Address end = start + ranges[order[first]].count;
        std::size_t last = first + 1;
        for (; last < order.size(); ++last) {
            const ReadRange& next = ranges[order[last]];
            const Address nextEnd = std::max(end, next.address + next.count);
            if (next.address > end + maxGap || nextEnd - start > maxBlock) {
                break;
            }
            end = nextEnd;
        }
        const auto size = static_cast<std::size_t>(end - start);
        scratch.resize(size);
        if (!readBlock(start, scratch.data(), size)) {
            return 0;
        }
        for (std::size_t k = first; k < last; ++k) {
            const ReadRange& range = ranges[order[k]];
            std::memcpy(out + offset[order[k]], scratch.data() + (range.address - start),
                        range.count);
        }
        first = last;
    }
    return total;
}

}  // namespace kerbview::telemetry
