// SPDX-License-Identifier: MIT
#include "panel/presentation.h"

#include <exception>

#include "panel/presentation_sections.h"

namespace kerbview::panel {

bool PresentsSnapshot(const core::Settings& settings) {
    return !(settings.TipusConexio == 1 && !settings.DadesServ);
}

Presentation::Presentation(PanelModel& panel, DebugModel& debug) : m_panel(panel), m_debug(debug) {}

PresentEnd Presentation::Present(telemetry::Snapshot& snapshot, const PresentContext& context) {
    const char sep = context.decimalSeparator;
    sections::Derived derived;

    ConvertToDisplayUnits(snapshot, context.settings);
    sections::EngineBarsAndContact(m_panel, snapshot, sep, derived);
    if (context.settings.DebugEnabled) sections::DebugCaptions(m_debug, snapshot, m_lap, sep);

    m_lap.TrackContact(snapshot.Contact, snapshot.LapNumber, snapshot.Fuel);
    if (snapshot.Contact != 1 && context.DriverSelectMode == 0) return PresentEnd::IgnitionOff;

    sections::Readouts(m_panel, snapshot, m_lap, context, derived);
    if (sections::LampsAndColours(m_panel, snapshot, context)) {
        sections::MarkersAndGauges(m_panel, snapshot, derived);
    }
    if (context.settings.DebugEnabled && context.tickCount) {
        sections::ScanTime(m_debug, context.ScanStartTick, context.tickCount());
    }
    return PresentEnd::Complete;
}

bool Presentation::PresentOrReport(telemetry::Snapshot& snapshot, const PresentContext& context,
                                   core::ErrorReporter& reporter) {
    try {
        Present(snapshot, context);
        return true;
    } catch (const std::exception&) {
        reporter.ReportError("Lectures");
        return false;
    }
}

}  // namespace kerbview::panel
