// SPDX-License-Identifier: MIT
#include "panel/text_fitting.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "panel/element_catalogue.h"

namespace kerbview::panel {

int FittedPixelSize(int wanted, int room, const std::function<double(int)>& width,
                    const std::function<bool(int)>& fits) {
    wanted = std::max(kSmallestFittedPixels, wanted);
    if (wanted == kSmallestFittedPixels || fits(wanted)) {
        return wanted;
    }
    // Start where the width at the wanted size points and correct by whole pixels, instead of
    // trying every size from the top.
    const double full = std::max(1.0, width(wanted));
    int px = std::clamp(static_cast<int>(room * wanted / full), kSmallestFittedPixels, wanted - 1);
    while (px > kSmallestFittedPixels && !fits(px)) {
        --px;
    }
    while (px + 1 < wanted && fits(px + 1)) {
        ++px;
    }
    return px;
}

int PointsToPixels(double points) { return static_cast<int>(std::lround(points * (96.0 / 72.0))); }

int TextMargin(Element e, int wantedPixels) {
    if (Info(e).kind == ElementKind::Lamp) return 4;
    if (Info(e).backColor == kNoFill) return 1;
    return std::max(2, static_cast<int>(std::lround(wantedPixels / 10.0)));
}

TextAlign TextAlignment(Element e) {
    return Info(e).backColor == kNoFill ? TextAlign::Left : TextAlign::Centre;
}

std::span<const Element> SameSizeGroup(Element e) {
    static constexpr std::array<Element, 2> kWaterAndOil{Element::Label19, Element::Label20};
    static constexpr std::array<Element, 3> kLap{Element::Label29, Element::Label31,
                                                 Element::Label33};
    switch (e) {
        case Element::Label19:
        case Element::Label20: return kWaterAndOil;
        case Element::Label29:
        case Element::Label31:
        case Element::Label33: return kLap;
        default: return {};
    }
}

}  // namespace kerbview::panel
