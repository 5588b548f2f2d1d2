// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/colours.h"
#include "panel/panel_elements.h"

/// The main window's element catalogue: for every element its name, kind, role, initial
/// geometry in twips (1/1440 inch, measured from the client area's top-left corner), font,
/// initial text and colours; the element collection order used by layout recording and
/// scaling; and the menu tree with its initial captions. Plain data, no toolkit.
namespace kerbview::panel {

/// Client area of the initial layout, in twips.
inline constexpr int kDesignClientWidth = 9720;
inline constexpr int kDesignClientHeight = 7935;
/// Twips per pixel at 96 dots per inch. The panel's pixels are device-independent: 15 twips
/// each, whatever the screen's density.
inline constexpr int kTwipsPerPixel = 15;
/// A length in twips as whole pixels, to the nearest (halves away from zero).
int TwipsToPixels(double twips);
/// A length in pixels as twips.
constexpr double PixelsToTwips(int pixels) { return pixels * static_cast<double>(kTwipsPerPixel); }

/// Colour numbers above the 24-bit range name system colours, resolved by the view from the
/// platform palette (the same numbers the original toolkit used for them).
inline constexpr core::ColourNumber kSystemWindowText = 0x80000008;
inline constexpr core::ColourNumber kSystemHighlight = 0x8000000D;
/// A text field without a listed back colour: drawn without a fill, showing the panel behind.
inline constexpr core::ColourNumber kNoFill = 0x01000000;

/// True for a plain 0x00BBGGRR colour; false for the colour numbers above.
constexpr bool IsPlainColour(core::ColourNumber c) { return c <= 0xFFFFFF; }

enum class ElementKind : std::uint8_t { TextField, Lamp, BarGauge, WheelMarker, Picture, List };
enum class Orientation : std::uint8_t { Horizontal, Vertical };

struct FontInfo {
    std::string_view family;  // empty for elements without text
    double pointSize = 0;
    bool bold = false;
};

/// One element of the main panel as it is in the initial layout.
struct ElementInfo {
    Element element;
    std::string_view name;  // control name, e.g. "Label37", "Command1(3)"
    ElementKind kind;
    std::string_view role;
    int left, top, width, height;  // twips
    FontInfo font;
    std::string_view text;  // initial text, Windows-1252
    core::ColourNumber backColor;
    core::ColourNumber textColor;
    // Bar gauges only.
    Orientation orientation = Orientation::Horizontal;
    core::ColourNumber foreColor = 0;
    double minvalue = 0;
    double maxvalue = 0;
};

/// Catalogue entry of an element; never fails for a valid Element.
const ElementInfo& Info(Element e);
/// All elements, in Element order.
std::span<const ElementInfo> ElementCatalogue();

/// True for an element that shows a reading of the simulator: the read-outs, lamps, gauges and
/// wheel markers. False for the status texts (Label1, Label15), the captions, the decorations
/// and the pictures.
bool ShowsReading(Element e);

/// A rectangle as shares of another's width and height, from its top-left corner.
struct ShareRect {
    double x = 0, y = 0, width = 0, height = 0;
};
/// Where the wheel markers Shape1..Shape4 lie over the car picture Image1 in the initial layout,
/// as shares of the picture: where a built-in car picture draws the four tyres.
std::array<ShareRect, 4> MarkerPlacesOnCarPicture();

/// The window's element collection in its one fixed order. Entries that are not panel elements
/// (menu items, the timer, the two sockets) are counted but never recorded or scaled.
struct CollectionEntry {
    enum class Type : std::uint8_t { PanelElement, MenuItem, Timer, Socket } type;
    Element element;  // for PanelElement
    Menu menu;        // for MenuItem
};
/// Fixed order: the pictures first (so they lie beneath everything else), then text fields,
/// lamps, bar gauges, wheel markers, List1, Timer1, TCPServer, TCPClient and the menu items.
std::span<const CollectionEntry> ElementCollection();

/// One menu item of the main window.
struct MenuInfo {
    Menu menu;
    std::string_view name;     // item name, e.g. "TS_150"
    std::string_view caption;  // initial caption, Windows-1252
    bool topLevel;             // a menu of the menu bar
    bool checkable;
    bool separator;  // an item with an empty caption and no action
};
const MenuInfo& Info(Menu m);
/// All menu items, in menu order (each top-level menu followed by its items).
std::span<const MenuInfo> MenuCatalogue();

}  // namespace kerbview::panel
