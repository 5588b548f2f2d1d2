// SPDX-License-Identifier: MIT
#include "panel/layout_scaling.h"

#include <algorithm>
#include <cmath>

#include "panel/element_catalogue.h"

namespace kerbview::panel {
namespace {

// The resize handler compares sizes the way the window's Single-typed properties do.
bool DiffersInSingle(double a, double b) { return static_cast<float>(a) != static_cast<float>(b); }

double ToWholePixels(double units, double unitsPerPixel) {
    if (unitsPerPixel <= 0) {
        return units;
    }
    return std::nearbyint(units / unitsPerPixel) * unitsPerPixel;
}

// The largest size of the given ratio that fits inside area, in whole pixels when they are known.
OuterSize FitInside(const OuterSize& area, double ratio, double unitsPerPixel) {
    const auto down = [unitsPerPixel](double units) {
        return unitsPerPixel > 0 ? std::floor(units / unitsPerPixel) * unitsPerPixel : units;
    };
    const double width = down(std::min(area.width, area.height * ratio));
    return {width, down(width / ratio)};
}

LayoutKind KindOf(const CollectionEntry& entry) {
    if (entry.type != CollectionEntry::Type::PanelElement) {
        return LayoutKind::Other;
    }
    switch (Info(entry.element).kind) {
        case ElementKind::TextField: return LayoutKind::TextField;
        case ElementKind::Lamp: return LayoutKind::Lamp;
        case ElementKind::BarGauge: return LayoutKind::BarGauge;
        case ElementKind::WheelMarker: return LayoutKind::WheelMarker;
        case ElementKind::Picture: return LayoutKind::Picture;
        case ElementKind::List: return LayoutKind::Other;
    }
    return LayoutKind::Other;
}

}  // namespace

std::vector<RecordedGeometry> CatalogueGeometry() {
    std::vector<RecordedGeometry> collection;
    for (const CollectionEntry& entry : ElementCollection()) {
        const LayoutKind kind = KindOf(entry);
        if (kind == LayoutKind::Other) {
            collection.push_back({});
            continue;
        }
        const ElementInfo& info = Info(entry.element);
        collection.push_back({kind, static_cast<double>(info.left), static_cast<double>(info.top),
                              static_cast<double>(info.width), static_cast<double>(info.height),
                              info.font.pointSize});
    }
    return collection;
}

LayoutRecord RecordLayout(std::span<const RecordedGeometry> collection, double clientWidth,
                          double clientHeight, double outerWidth, double outerHeight) {
    LayoutRecord r;
    r.DesignScaleWidth = clientWidth;
    r.DesignScaleHeight = clientHeight;
    r.AspectRatio = outerHeight != 0 ? outerWidth / outerHeight : 0;
    r.LastHeight = outerHeight;
    r.LastWidth = outerWidth;
    for (std::size_t i = 0; i < collection.size() && i < kLayoutEntries; ++i) {
        const RecordedGeometry& g = collection[i];
        if (!IsLaidOut(g.kind)) {
            continue;
        }
        r.LayoutKinds[i] = g.kind;
        if (HasScaledFont(g.kind)) {
            r.LayoutFontSize[i] = g.fontSize;
        }
        r.LayoutTop[i] = g.top;
        r.LayoutLeft[i] = g.left;
        r.LayoutWidth[i] = g.width;
        r.LayoutHeight[i] = g.height;
    }
    return r;
}

ResizeAction OnResize(LayoutRecord& layout, WindowState state, double outerWidth,
                      double outerHeight, double unitsPerPixel,
                      std::optional<OuterSize> available) {
    if (state != WindowState::Normal) {
        return {.scale = true, .resizeTo = std::nullopt};
    }
    const double ratio = layout.AspectRatio;
    // Without a usable opening ratio there is no proportion to keep; the panel still scales.
    if (!(std::isfinite(ratio) && ratio > 0)) {
        return {.scale = true, .resizeTo = std::nullopt};
    }
    if (outerWidth < kMinimumOuterWidth ||
        outerHeight < static_cast<float>(kMinimumOuterWidth / ratio)) {
        return {};
    }
    double width = outerWidth;
    double height = outerHeight;
    if (DiffersInSingle(outerWidth, layout.LastWidth)) {
        height = ToWholePixels(outerWidth / ratio, unitsPerPixel);
    } else if (DiffersInSingle(outerHeight, layout.LastHeight)) {
        width = ToWholePixels(outerHeight * ratio, unitsPerPixel);
    } else {
        return {.scale = true, .resizeTo = std::nullopt};
    }
    // The driven side must not leave the screen: both sides shrink in proportion to fit.
    if (available && available->width > 0 && available->height > 0 &&
        (width > available->width || height > available->height)) {
        const OuterSize fitted = FitInside(*available, ratio, unitsPerPixel);
        width = fitted.width;
        height = fitted.height;
    }
    layout.LastWidth = width;
    layout.LastHeight = height;
    if (width == outerWidth && height == outerHeight) {
        return {.scale = true, .resizeTo = std::nullopt};
    }
    return {.scale = true, .resizeTo = OuterSize{width, height}};
}

std::size_t ScaleElements(const LayoutRecord& layout, double clientWidth, double clientHeight,
                          const std::function<void(std::size_t, const ScaledGeometry&)>& apply) {
    if (!(clientWidth > 0 && clientHeight > 0 && layout.DesignScaleWidth > 0 &&
          layout.DesignScaleHeight > 0)) {
        return 0;
    }
    const double sx = clientWidth / layout.DesignScaleWidth;
    const double sy = clientHeight / layout.DesignScaleHeight;
    std::size_t scaled = 0;
    for (std::size_t i = 0; i < kLayoutEntries; ++i) {
        const LayoutKind kind = layout.LayoutKinds[i];
        if (!IsLaidOut(kind)) {
            continue;
        }
        ScaledGeometry g;
        g.width = layout.LayoutWidth[i] * sx;
        g.height = layout.LayoutHeight[i] * sy;
        g.top = layout.LayoutTop[i] * sy;
        g.left = layout.LayoutLeft[i] * sx;
        if (HasScaledFont(kind)) {
            g.fontSize = layout.LayoutFontSize[i] * sy;
        }
        apply(i, g);
        ++scaled;
    }
    return scaled;
}

}  // namespace kerbview::panel
