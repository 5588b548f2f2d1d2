// SPDX-License-Identifier: MIT
// Wheel markers, gauge values and the debug scan time of the presentation.
#include "core/number_rules.h"
#include "panel/presentation_sections.h"

namespace kerbview::panel::sections {

void WheelMarkers(PanelModel& panel, double average, const std::array<double, 4>& wheels) {
    if (!(average > 1.0)) {
        for (int n = 1; n <= 4; ++n) panel.SetVisible(Marker(n), false);
        return;
    }
    // A wheel below 90 % of the average is locking; a NaN wheel fails the test and stays hidden.
    const double limit = average - average * 10 / 100;
    for (int n = 1; n <= 4; ++n) {
        panel.SetVisible(Marker(n), limit > wheels[static_cast<std::size_t>(n - 1)]);
    }
}

void MarkersAndGauges(PanelModel& panel, const telemetry::Snapshot& s, const Derived& d) {
    WheelMarkers(panel, d.AverageWheelSpeed, s.WheelSpeed);
    panel.SetMaxValue(Element::ProgressBar3, d.EngineRpmLimit);
    panel.SetValue(Element::ProgressBar3, d.EngineRpm);
    panel.SetValue(Element::ProgressBar1, d.Bar1);
    panel.SetValue(Element::ProgressBar2, d.Bar2);
    panel.SetValue(Element::ProgressBar4, d.AverageWheelSpeed);
}

void ScanTime(DebugModel& debug, std::uint32_t startTick, std::uint32_t nowTick) {
    // Unsigned arithmetic wraps with the counter, so the difference stays the elapsed time.
    const std::uint32_t elapsed = nowTick - startTick;
    debug.SetLabel(20, core::PlainText(elapsed));
}

}  // namespace kerbview::panel::sections
