// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace kerbview::panel {

/// What the layout does with an element of the window's element collection. Only the five
/// kinds besides Other are recorded and scaled.
enum class LayoutKind : std::uint8_t { Other, Picture, TextField, Lamp, BarGauge, WheelMarker };

/// True for the five kinds whose place and size are recorded and scaled.
constexpr bool IsLaidOut(LayoutKind kind) { return kind != LayoutKind::Other; }
/// True for the kinds whose font size is recorded and scaled: text fields, lamps, bar gauges.
constexpr bool HasScaledFont(LayoutKind kind) {
    return kind == LayoutKind::TextField || kind == LayoutKind::Lamp ||
           kind == LayoutKind::BarGauge;
}

/// One element of the collection as the window opened: kind, place and size in position units
/// (1/1440 inch) and font size in points (ignored for kinds without a scaled font).
struct RecordedGeometry {
    LayoutKind kind = LayoutKind::Other;
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    double fontSize = 0;
};

inline constexpr std::size_t kLayoutEntries = 201;

/// The element collection of the main window (ElementCollection) with each entry's kind and
/// initial geometry from the element catalogue; menu items, the timer, the sockets and List1
/// are Other.
std::vector<RecordedGeometry> CatalogueGeometry();

/// The layout as the window opened. Entry i belongs to position i of the element collection;
/// entries of other kinds, and positions past the collection, stay 0 with kind Other.
struct LayoutRecord {
    std::array<double, kLayoutEntries> LayoutTop{};
    std::array<double, kLayoutEntries> LayoutLeft{};
    std::array<double, kLayoutEntries> LayoutWidth{};
    std::array<double, kLayoutEntries> LayoutHeight{};
    std::array<double, kLayoutEntries> LayoutFontSize{};
    std::array<LayoutKind, kLayoutEntries> LayoutKinds{};
    /// Client-area size when the window opened.
    double DesignScaleWidth = 0;
    double DesignScaleHeight = 0;
    /// Outer width / outer height when the window opened.
    double AspectRatio = 0;
    /// Outer size last accepted by the resize handler.
    double LastWidth = 0;
    double LastHeight = 0;
};

/// Records the design metrics and, walking the collection in order, the geometry of every
/// element of the five laid-out kinds (font sizes for text fields, lamps and bar gauges only).
/// Elements past position 200 are not recorded.
LayoutRecord RecordLayout(std::span<const RecordedGeometry> collection, double clientWidth,
                          double clientHeight, double outerWidth, double outerHeight);

enum class WindowState : std::uint8_t { Normal, Minimized, Maximized };

struct OuterSize {
    double width = 0;
    double height = 0;
};

/// What the front end does after a size change.
struct ResizeAction {
    /// Scale the elements to the current client area (ScaleElements).
    bool scale = false;
    /// Give the window this outer size; the resize it raises comes back here with sizes equal
    /// to LastWidth and LastHeight and then only scales.
    std::optional<OuterSize> resizeTo;
};

/// The minimum outer width, in position units, below which a normal window is not rescaled.
inline constexpr double kMinimumOuterWidth = 8000;

/// Resize handler. In the normal state keeps the opening aspect ratio: below 8000 units wide, or
/// below 8000 / AspectRatio high (single precision), nothing happens. A width different from
/// LastWidth drives the height (width / AspectRatio); otherwise a height different from
/// LastHeight drives the width (height * AspectRatio); sizes compare in single precision. When
/// the size so found does not fit `available` (the largest outer size the screen offers), both
/// sides shrink in proportion until it fits. The size is stored in LastWidth and LastHeight.
/// When unitsPerPixel > 0 driven sizes are whole pixels, so the window can take them exactly and
/// the resize it raises does not chase a fraction of a pixel. Minimized and maximized windows
/// only scale, with no minimum.
ResizeAction OnResize(LayoutRecord& layout, WindowState state, double outerWidth,
                      double outerHeight, double unitsPerPixel,
                      std::optional<OuterSize> available = std::nullopt);

struct ScaledGeometry {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    /// Set for text fields, lamps and bar gauges.
    std::optional<double> fontSize;
};

/// Gives every recorded element its design geometry scaled by sx = clientWidth /
/// DesignScaleWidth horizontally and sy = clientHeight / DesignScaleHeight vertically, fonts by
/// sy, calling apply(position, geometry) in collection order. An empty client area (either side
/// 0 or less, as when minimized) scales nothing, so the panel keeps its last scale.
/// Returns the number of elements scaled.
std::size_t ScaleElements(const LayoutRecord& layout, double clientWidth, double clientHeight,
                          const std::function<void(std::size_t, const ScaledGeometry&)>& apply);

}  // namespace kerbview::panel
