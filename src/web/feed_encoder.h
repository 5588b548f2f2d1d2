// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/colours.h"
#include "laps/laps_view.h"
#include "panel/panel_model.h"

namespace kerbview::web {

/// Colours the browser cannot know by itself, as plain 0x00BBGGRR numbers: the panel's background
/// and the platform colours that the desktop view takes from its palette.
struct DashboardLook {
    core::ColourNumber panel = 0;
    core::ColourNumber windowText = 0;           ///< for panel::kSystemWindowText
    core::ColourNumber highlight = 0xD77800;     ///< for panel::kSystemHighlight
    core::ColourNumber lampFace = 0xEFEFEF;      ///< face of the lamp buttons
    core::ColourNumber lampText = 0;             ///< text of a lit lamp
    core::ColourNumber lampDarkText = 0x9F9F9F;  ///< text of a dark lamp
};

/// Path under which the picture of element e is served: "/picture/Image1" and so on.
std::string PicturePath(panel::Element e);
/// True for the picture elements that show a built-in picture while no file is loaded: the car
/// (Image1) and the logo (Picture1).
bool HasBuiltinPicture(panel::Element e);
/// The place of a picture element (Image1, Image2, Picture1) among the three, for what a front
/// end keeps per picture; nothing for any other element.
std::optional<std::size_t> PictureSlot(panel::Element e);
constexpr std::size_t kPictureSlots = 3;
/// The largest size, in pixels, a browser gets element e's picture in: twice the element's size
/// at 96 dots per inch, sharp on a phone's dense screen.
struct PixelSize {
    int width = 0;
    int height = 0;
};
PixelSize LargestPictureSize(panel::Element e);

/// Turns the panel model into the dashboard's feed: JSON text messages of UTF-8 for the browser.
///
/// "full" holds the panel's size and colours, every element's layout (catalogue geometry in
/// twips, font, colours, whether it shows a reading, the group of captions drawn at one size, in
/// stacking order) and every element's
/// state; "delta" holds the state of the elements changed since the previous delta, each once,
/// with its value at the time of the call, so an element that changed twice is sent with its
/// last value only. Both carry the model revision they show ("rev") and whether the panel's
/// values are old ("stale"). List1, which the panel never shows, is left out.
///
/// "laps" holds the lap history's view as it is (title, columns, rows, figures, plots, its
/// revision) and the caption of the panel's view, the web dashboard's menu text.
class FeedEncoder {
public:
    /// Deltas start from the model's revision now, laps messages from the view's. model and
    /// laps (nullptr: no lap history, no laps message) must outlive the encoder.
    FeedEncoder(const panel::PanelModel& model, DashboardLook look,
                const laps::LapsView* laps = nullptr);

    /// The whole panel at the model's current revision. Changes nothing.
    std::string Full() const;
    /// The elements changed since the previous Delta (or since construction or SkipToNow);
    /// std::nullopt when none changed.
    std::optional<std::string> Delta();
    /// The next Delta starts from the model's revision now (nobody needs the changes before),
    /// and LapsMoved from the view's.
    void SkipToNow();

    /// The whole laps message; std::nullopt without a lap history. Changes nothing.
    std::optional<std::string> Laps() const;
    /// The laps message when the view's revision moved since the previous LapsMoved (or since
    /// construction or SkipToNow); std::nullopt otherwise.
    std::optional<std::string> LapsMoved();

private:
    void AppendState(std::string& out, panel::Element e) const;
    /// The state of every shown element, or only of those changed after revision after.
    void AppendStates(std::string& out, std::optional<std::uint64_t> after) const;

    const panel::PanelModel& m_model;
    DashboardLook m_look;
    std::uint64_t m_sent;
    const laps::LapsView* m_laps;
    std::uint64_t m_lapsSent;
};

}  // namespace kerbview::web
