// SPDX-License-Identifier: MIT
// Time to present one typical snapshot into the panel model.
#include <benchmark/benchmark.h>

#include "core/settings.h"
#include "panel/panel_model.h"
#include "panel/presentation.h"
#include "panel/units.h"
#include "telemetry/snapshot.h"
#include "ui/language_texts.h"

namespace {

using namespace kerbview;

telemetry::Snapshot Typical(int i) {
    telemetry::Snapshot s;
    s.DriverName = "Driver";
    s.CarName = "Car";
    s.TrackName = "Track";
    s.OilTemp = 95.2f + static_cast<float>(i % 7);
    s.WaterTemp = 91.7f;
    s.Position = 3;
    s.DriverSlot = 12;
    s.EngineSpeed = 600.5f + static_cast<float>(i % 50);
    s.EngineMaxSpeed = 900;
    s.Contact = 1;
    s.LapNumber = static_cast<std::int16_t>(3 + i % 2);
    s.Fuel = 45.3f;
    s.BestLap = 83.456f;
    s.LastLap = 84.1f;
    s.CentreReadout = 7;
    s.TyreTemp = {78.5f, 81, 84.5f, 90, 95.5f, 101, 75, 80, 85, 99, 100, 101.5f};
    s.TyrePressure = {181, 190.4f, 205, 221};
    s.WheelSpeed = {150.2, 151.7, 120.4 + i % 30, 150};
    s.TyreRatio = {1.0, 0.75, 0.0, 0.9};
    s.BarPercent1 = 55.5f;
    s.BarPercent2 = 2;
    s.TrackTemp = 30.4f;
    s.AmbientTemp = 21.6f;
    s.BrakeTemp = {450, 290, 610, 500};
    s.TcState = 1;
    s.AbsState = 2;
    return s;
}

void Run(benchmark::State& state, const char* unitats) {
    panel::PanelModel model;
    panel::DebugModel debug;
    core::Settings settings;
    settings.Unitats = unitats;
    settings.DebugEnabled = true;
    ui::LanguageTexts texts;
    texts.TxtBest = "Best";
    texts.TxtLast = "Last";
    panel::DisplayUnits units;
    panel::Presentation presentation{model, debug};
    panel::SetUnitTexts(units, panel::IsImperial(settings.Unitats));
    panel::SetActiveThresholds(units, settings, panel::IsImperial(settings.Unitats));
    const panel::PresentContext context{
        settings, texts, units, 0, ',', 0, [] { return std::uint32_t{5}; }};
    int i = 0;
    for (auto _ : state) {
        telemetry::Snapshot s = Typical(i++);
        benchmark::DoNotOptimize(presentation.Present(s, context));
    }
    benchmark::DoNotOptimize(model.Revision());
}

void BM_PresentMetric(benchmark::State& state) { Run(state, "Metric"); }
void BM_PresentImperial(benchmark::State& state) { Run(state, "Imperial"); }

BENCHMARK(BM_PresentMetric);
BENCHMARK(BM_PresentImperial);

}  // namespace

BENCHMARK_MAIN();
