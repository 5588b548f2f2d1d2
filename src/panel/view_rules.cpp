// SPDX-License-Identifier: MIT
#include "panel/view_rules.h"

#include <algorithm>
#include <cmath>

namespace kerbview::panel {
namespace {

bool Empty(const PixelRect& r) { return r.width <= 0 || r.height <= 0; }

PixelRect Intersection(const PixelRect& a, const PixelRect& b) {
    const int left = std::max(a.left, b.left), top = std::max(a.top, b.top);
    const int right = std::min(a.left + a.width, b.left + b.width);
    const int bottom = std::min(a.top + a.height, b.top + b.height);
    return {left, top, right - left, bottom - top};
}

bool Intersects(const PixelRect& a, const PixelRect& b) { return !Empty(Intersection(a, b)); }

// Whether the rectangles together cover every pixel of target: the target is cut along every
// edge of theirs, and each piece must lie inside one of them.
bool CoveredBy(const PixelRect& target, const std::vector<PixelRect>& rects) {
    std::vector<int> xs{target.left, target.left + target.width};
    std::vector<int> ys{target.top, target.top + target.height};
    for (const PixelRect& r : rects) {
        for (const int x : {r.left, r.left + r.width}) {
            if (x > xs[0] && x < xs[1]) xs.push_back(x);
        }
        for (const int y : {r.top, r.top + r.height}) {
            if (y > ys[0] && y < ys[1]) ys.push_back(y);
        }
    }
    std::sort(xs.begin(), xs.end());
    std::sort(ys.begin(), ys.end());
    for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
        for (std::size_t j = 0; j + 1 < ys.size(); ++j) {
            if (xs[i] == xs[i + 1] || ys[j] == ys[j + 1]) continue;
            const bool inside = std::any_of(rects.begin(), rects.end(), [&](const PixelRect& r) {
                return r.left <= xs[i] && r.left + r.width >= xs[i + 1] && r.top <= ys[j] &&
                       r.top + r.height >= ys[j + 1];
            });
            if (!inside) return false;
        }
    }
    return true;
}

}  // namespace

DecodedColour DecodeColour(core::ColourNumber c) {
    if (c == kSystemWindowText) return {ColourKind::WindowText};
    if (c == kSystemHighlight) return {ColourKind::Highlight};
    if (!IsPlainColour(c)) return {ColourKind::None};
    return {ColourKind::Plain, static_cast<std::uint8_t>(c & 0xFF),
            static_cast<std::uint8_t>((c >> 8) & 0xFF),
            static_cast<std::uint8_t>((c >> 16) & 0xFF)};
}

double BarFillFraction(double minvalue, double maxvalue, double value) {
    const double span = maxvalue - minvalue;
    if (!(span != 0) || !std::isfinite(span)) return 0;
    const double f = (value - minvalue) / span;
    if (std::isnan(f)) return 0;
    return std::clamp(f, 0.0, 1.0);
}

bool Opaque(const PanelModel& model, Element e) {
    switch (Info(e).kind) {
        case ElementKind::TextField:
            return DecodeColour(model[e].backColor).kind != ColourKind::None;
        case ElementKind::BarGauge:
        case ElementKind::WheelMarker: return true;
        default: return false;
    }
}

void PlanFrame(const PanelModel& model, const std::array<PixelRect, kElementCount>& places,
               std::span<const PixelRect> damage, FramePlan& plan) {
    plan.toPaint.clear();
    plan.covered.clear();
    std::vector<PixelRect> above;
    const auto order = ElementCollection();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (it->type != CollectionEntry::Type::PanelElement) continue;
        const Element e = it->element;
        const ElementKind kind = Info(e).kind;
        const PixelRect& r = places[static_cast<std::size_t>(e)];
        const auto meets = [&r](const PixelRect& d) { return Intersects(d, r); };
        if (kind == ElementKind::Picture || kind == ElementKind::List || !model[e].visible ||
            std::none_of(damage.begin(), damage.end(), meets)) {
            continue;
        }
        // Elements meet at their edges only; the pieces are worked out for an element that an
        // opaque one above it overlaps.
        above.clear();
        std::copy_if(plan.covered.begin(), plan.covered.end(), std::back_inserter(above), meets);
        if (!above.empty() && std::all_of(damage.begin(), damage.end(), [&](const PixelRect& d) {
                const PixelRect part = Intersection(d, r);
                return Empty(part) || CoveredBy(part, above);
            })) {
            continue;
        }
        plan.toPaint.push_back(e);
        if (Opaque(model, e)) plan.covered.push_back(r);
    }
}

double FrameIntervalMs(double refreshHz) { return 1000.0 / (refreshHz >= 1.0 ? refreshHz : 60.0); }

std::bitset<kElementCount> ElementsToRedraw(const PanelModel& model, std::uint64_t seen,
                                            bool wasStale) {
    std::bitset<kElementCount> redraw = model.ChangedSince(seen).elements;
    if (model.Stale() != wasStale) {
        for (std::size_t i = 0; i < kElementCount; ++i) {
            if (ShowsReading(static_cast<Element>(i))) redraw.set(i);
        }
    }
    return redraw;
}

int FrameWaitMs(double intervalMs, double sinceLastFrameMs) {
    const double wait = intervalMs - sinceLastFrameMs;
    return wait <= 0 ? 0 : static_cast<int>(std::ceil(wait));
}

}  // namespace kerbview::panel
