// SPDX-License-Identifier: MIT
#include "panel/presentation.h"

#include "panel/presentation_sections.h"

namespace kerbview::panel {

bool PresentsSnapshot(const core::Settings& settings) {
    return !(settings.TipusConexio == core::Role::Server && !settings.DadesServ);
}

Presentation::Presentation(PanelModel& panel, DebugModel& debug) : m_panel(panel), m_debug(debug) {}

PresentEnd Presentation::Present(const telemetry::Snapshot& received,
                                 const PresentContext& context) {
    const char sep = context.decimalSeparator;
    sections::Derived derived;

    const telemetry::Snapshot snapshot = InDisplayUnits(received, context.settings);
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

void Presentation::UnitsChanged(bool toImperial, const DisplayUnits& units, char decimalSeparator) {
    m_lap.ConvertFuelUnit(toImperial);
    if (m_lap.LastFuelUsed) {
        m_panel.SetText(LabelN(34),
                        sections::FuelUsedText(*m_lap.LastFuelUsed, units, decimalSeparator));
    }
}

}  // namespace kerbview::panel
