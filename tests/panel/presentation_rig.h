// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "panel/presentation.h"

namespace kerbview::panel::test {

// Expected texts write the masculine ordinal indicator (Windows-1252 byte 0xBA) as "\272".

/// A sane mid-race snapshot in metric units, ignition on.
inline telemetry::Snapshot TypicalSnapshot() {
    telemetry::Snapshot s;
    s.DriverName = "Driver", s.CarName = "Car", s.TrackName = "Track";
    s.OilTemp = 95, s.WaterTemp = 92, s.Position = 3, s.DriverSlot = 12;
    s.EngineSpeed = 600, s.EngineMaxSpeed = 900, s.Contact = 1, s.LapNumber = 3, s.Fuel = 45.3f;
    s.BestLap = 83.456f, s.LastLap = 84.1f, s.CentreReadout = 7;
    s.TyreTemp.fill(85), s.TyrePressure.fill(190), s.BrakeTemp.fill(450);
    s.WheelSpeed = {150, 151, 149, 150}, s.TyreRatio = {1.0, 0.75, 0.0, 0.9};
    s.BarPercent1 = 55, s.TrackTemp = 30, s.AmbientTemp = 21.6f;
    return s;
}

/// The program's owning objects around one Presentation, units applied, settings writes recorded.
struct Rig {
    PanelModel panel;
    DebugModel debug;
    core::Settings settings;
    ui::LanguageTexts texts;
    core::ErrorReporter reporter;
    std::vector<std::string> writes;  // "section/key=value"
    Units units{[this](std::string_view s, std::string_view k, std::string_view v) {
        writes.push_back(std::string(s) + "/" + std::string(k) + "=" + std::string(v));
    }};
    Presentation presentation{panel, debug};
    std::int16_t DriverSelectMode = 0;
    char sep = '.';
    std::uint32_t ScanStartTick = 0, now = 0;

    explicit Rig(std::string unitats = "Metric") {
        settings.Unitats = std::move(unitats);
        texts.TxtBest = "Best", texts.TxtLast = "Last";
        texts.TxtTc = "TC", texts.TxtTcLow = "TC LOW", texts.TxtTcHigh = "TC HIGH";
        texts.TxtAbs = "ABS", texts.TxtAbsLow = "ABS LOW", texts.TxtAbsHigh = "ABS HIGH";
        ApplyUnits();
    }
    Rig(const Rig&) = delete;  // the writer and the clock capture this

    bool ApplyUnits() {
        return units.Canvia_Unitats(settings, panel, presentation.Lap(), reporter);
    }
    PresentContext Context() {
        return {settings, texts,         units.Current(),       DriverSelectMode,
                sep,      ScanStartTick, [this] { return now; }};
    }
    PresentEnd Present(telemetry::Snapshot s) { return presentation.Present(s, Context()); }
    bool PresentOrReport(telemetry::Snapshot s) {
        return presentation.PresentOrReport(s, Context(), reporter);
    }
    const std::string& Text(Element e) const { return panel[e].text; }
};

}  // namespace kerbview::panel::test
