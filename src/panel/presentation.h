// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "core/error_report.h"
#include "core/settings.h"
#include "panel/lap_tracker.h"
#include "panel/panel_model.h"
#include "panel/units.h"
#include "telemetry/snapshot.h"
#include "ui/language_texts.h"

namespace kerbview::panel {

/// Everything one presentation reads besides the snapshot. The references must outlive the call.
struct PresentContext {
    const core::Settings& settings;  // Unitats, NoGrafics, DebugEnabled
    const ui::LanguageTexts& texts;  // TxtBest, TxtLast, TxtTc ... TxtAbsHigh
    const DisplayUnits& units;       // unit texts and active thresholds
    std::int16_t DriverSelectMode = 0;
    /// The user's decimal separator, '.' or ','.
    char decimalSeparator = '.';
    /// Millisecond tick taken by the scan cycle just before the scan (debugging only). A client,
    /// which presents on packet arrival, may pass the tick at which the packet arrived.
    std::uint32_t ScanStartTick = 0;
    /// Current millisecond tick count, read once at the end of a complete scan when debugging.
    /// May be empty: the scan time is then not shown.
    std::function<std::uint32_t()> tickCount;
};

/// How a presentation ended.
enum class PresentEnd {
    Complete,     // every step ran
    IgnitionOff,  // contact not 1 in DriverSelectMode 0: only the first steps ran
};

/// The band of thresholds a threshold-coloured field is measured against.
enum class ThresholdBand : std::uint8_t { Motor, Pneu, Press, Frens };

struct ThresholdField {
    Element element;
    ThresholdBand band;
};

/// The 22 fields coloured by the thresholds, in the order a scan colours them: oil and water,
/// the twelve tyre zones (three a wheel, wheels in the usual order), the four tyre pressures and
/// the four brakes.
inline constexpr std::array<ThresholdField, 22> kThresholdFields{{
    // clang-format off
    {Element::Label18, ThresholdBand::Motor}, {Element::Label17, ThresholdBand::Motor},
    {Element::Label2, ThresholdBand::Pneu},   {Element::Label3, ThresholdBand::Pneu},
    {Element::Label4, ThresholdBand::Pneu},   {Element::Label5, ThresholdBand::Pneu},
    {Element::Label6, ThresholdBand::Pneu},   {Element::Label7, ThresholdBand::Pneu},
    {Element::Label8, ThresholdBand::Pneu},   {Element::Label9, ThresholdBand::Pneu},
    {Element::Label10, ThresholdBand::Pneu},  {Element::Label11, ThresholdBand::Pneu},
    {Element::Label12, ThresholdBand::Pneu},  {Element::Label13, ThresholdBand::Pneu},
    {Element::Label24, ThresholdBand::Press}, {Element::Label25, ThresholdBand::Press},
    {Element::Label26, ThresholdBand::Press}, {Element::Label27, ThresholdBand::Press},
    {Element::Label43, ThresholdBand::Frens}, {Element::Label44, ThresholdBand::Frens},
    {Element::Label45, ThresholdBand::Frens}, {Element::Label46, ThresholdBand::Frens},
    // clang-format on
}};

/// Whether the snapshot is presented at all: false for a server whose
/// show-server-data option (DadesServ) is off. The caller decides before calling Present.
bool PresentsSnapshot(const core::Settings& settings);

/// The presentation section of Lectures: turns one snapshot into the main panel and the debug
/// window, and keeps the lap reference between scans.
class Presentation {
public:
    Presentation(PanelModel& panel, DebugModel& debug);

    /// Converts a copy of the snapshot to the display units (the snapshot itself stays in the
    /// base units it was read or received in), then writes the panel step by step: engine lamp
    /// and speed, bar percentages, contact lamp, debug captions (when settings.DebugEnabled), lap
    /// reference (stopping here when the contact is off in DriverSelectMode 0), read-outs, lap
    /// times, tyre figures, track name, lamps, ambient and track temperatures, threshold
    /// colours, wheel markers and gauges (the last three skipped when NoGrafics), scan time
    /// (when debugging). Each element is written as soon as its value is known, so when a step
    /// throws (core::NumberError: a value that rule whole cannot fit in 16 bits, a NaN or
    /// infinity that a number text cannot show, a single overflow) the earlier elements keep
    /// their new state and the later ones their old one. The caller reports the throw as
    /// "Lectures".
    PresentEnd Present(const telemetry::Snapshot& snapshot, const PresentContext& context);

    /// The display units changed: the lap reference and the fuel-used figure follow them, and a
    /// figure already shown in Label34 is shown again in the new unit.
    void UnitsChanged(bool toImperial, const DisplayUnits& units, char decimalSeparator);

    LapState& Lap() { return m_lap; }
    const LapState& Lap() const { return m_lap; }

private:
    PanelModel& m_panel;
    DebugModel& m_debug;
    LapState m_lap;
};

}  // namespace kerbview::panel
