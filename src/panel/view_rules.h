// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <span>
#include <vector>

#include "core/colours.h"
#include "panel/element_catalogue.h"
#include "panel/panel_model.h"

/// What every view of the panel follows, whichever toolkit draws it: how a colour number is
/// drawn, how far a bar gauge is filled, which elements a frame paints and when a change is
/// painted. Plain rules; the view draws.
namespace kerbview::panel {

/// How a view draws a colour number: a plain colour from its parts, a system colour from the
/// platform's palette, and anything else (kNoFill, unknown numbers) not at all.
enum class ColourKind : std::uint8_t { Plain, WindowText, Highlight, None };

struct DecodedColour {
    ColourKind kind = ColourKind::None;
    /// The parts of a Plain colour; 0 for the other kinds.
    std::uint8_t red = 0, green = 0, blue = 0;
};

/// Never fails: every number decodes to one of the kinds.
DecodedColour DecodeColour(core::ColourNumber c);

/// Share of a bar gauge that is filled, 0 to 1: (value - minvalue) / (maxvalue - minvalue).
/// Values outside the range (infinities included) clamp to its ends; a NaN, an empty range or a
/// range too wide for a double gives 0. A horizontal bar fills from the left, a vertical one
/// from the bottom.
double BarFillFraction(double minvalue, double maxvalue, double value);

/// A rectangle of whole pixels of the panel.
struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
};

/// What one frame paints.
struct FramePlan {
    /// The elements to paint, top of the stack first.
    std::vector<Element> toPaint;
    /// The places of the opaque elements among them: nothing beneath them needs painting.
    std::vector<PixelRect> covered;
};

/// Whether element e, drawn as the model holds it, covers its whole place: a text field with a
/// fill, a bar gauge, a wheel marker. A lamp's rounded corners show what lies beneath.
bool Opaque(const PanelModel& model, Element e);

/// The elements a frame paints over the region `damage` (rectangles that do not overlap), each
/// at its place in `places`: from the top of the catalogue's stacking order down, every shown
/// element (not a picture, which lies in the layer beneath, nor List1) that is visible and meets
/// the region, unless the opaque elements above it to be painted cover its part of the region.
/// Fills plan, reusing its storage.
void PlanFrame(const PanelModel& model, const std::array<PixelRect, kElementCount>& places,
               std::span<const PixelRect> damage, FramePlan& plan);

/// The elements a view that last showed revision `seen` of the model, with its Stale flag then
/// `wasStale`, draws again: those changed since, and, when the flag changed, every element that
/// shows a reading (ShowsReading), which the flag fades or restores.
std::bitset<kElementCount> ElementsToRedraw(const PanelModel& model, std::uint64_t seen,
                                            bool wasStale);

/// Time between two frames on a screen refreshing refreshHz times a second, in milliseconds; a
/// screen that tells no rate (below 1 Hz) counts as 60 Hz.
double FrameIntervalMs(double refreshHz);

/// How long a change waits for its frame, in whole milliseconds: 0, painted at once, when the
/// last frame is a frame interval old or older; otherwise the rest of the interval, rounded up.
/// A view paints no more often than its screen refreshes, always with the latest values.
int FrameWaitMs(double intervalMs, double sinceLastFrameMs);

}  // namespace kerbview::panel
