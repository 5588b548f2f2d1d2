// SPDX-License-Identifier: MIT
// Presenting one snapshot into the live panel: the presentation, the view's notice of changed
// elements, and the frame that paints them. Runs on Qt's offscreen platform unless
// QT_QPA_PLATFORM names another.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QRegion>

#include "core/settings.h"
#include "frontends/qt/panel_view.h"
#include "panel/element_catalogue.h"
#include "panel/panel_model.h"
#include "panel/presentation.h"
#include "panel/units.h"
#include "telemetry/snapshot.h"
#include "ui/language_texts.h"

namespace {

using namespace kerbview;

// A car at speed: engine, wheel speeds and one tyre change from scan to scan; the rest holds.
telemetry::Snapshot Moving(int i) {
    telemetry::Snapshot s;
    s.DriverName = "Driver";
    s.SlotName = "Driver";
    s.CarName = "BMW 320si";
    s.TrackName = "Anderstorp";
    s.OilTemp = 95.2f + static_cast<float>(i % 7);
    s.WaterTemp = 91.7f;
    s.Position = 3;
    s.EngineSpeed = 600.5f + static_cast<float>(i % 50);
    s.EngineMaxSpeed = 900;
    s.Contact = 1;
    s.LapNumber = 4;
    s.Fuel = 45.3f - static_cast<float>(i % 100) * 0.01f;
    s.BestLap = 83.456f;
    s.LastLap = 84.1f;
    s.CentreReadout = 7;
    s.TyreTemp = {78.5f, 81, 84.5f, 90, 95.5f, 101, 75, 80, 85, 99, 100, 101.5f};
    s.TyreTemp[0] += static_cast<float>(i % 3);
    s.TyrePressure = {181, 190.4f, 205, 221};
    s.WheelSpeed = {150.2 + i % 30, 151.7 + i % 30, 120.4 + i % 30, 150.0 + i % 30};
    s.TyreRatio = {1.0, 0.75, 0.0, 0.9};
    s.BarPercent1 = static_cast<float>(i % 100);
    s.BarPercent2 = 2;
    s.TrackTemp = 30.4f;
    s.AmbientTemp = 21.6f;
    s.BrakeTemp = {450, 290, 610, 500};
    s.TcState = 1;
    s.AbsState = 2;
    return s;
}

// varying: a new snapshot each time (a car on track), each followed by the frame that paints
// the places of the elements that changed, painted at once instead of at the screen's pace.
// Otherwise the same snapshot again (the simulator paused): nothing changes, nothing is painted.
void Present(benchmark::State& state, bool varying) {
    panel::PanelModel model;
    panel::DebugModel debug;
    core::Settings settings;
    ui::LanguageTexts texts;
    texts.TxtBest = "Best";
    texts.TxtLast = "Last";
    panel::DisplayUnits units;
    panel::Presentation presentation{model, debug};
    panel::SetUnitTexts(units, panel::IsImperial(settings.Unitats));
    panel::SetActiveThresholds(units, settings, panel::IsImperial(settings.Unitats));
    const panel::PresentContext context{settings, texts, units, 0, '.', 0, {}};

    qt::PanelView view(model);
    view.resize(panel::kDesignClientWidth / 15, panel::kDesignClientHeight / 15);
    view.show();
    QCoreApplication::processEvents();

    int i = 0;
    std::int64_t changed = 0;
    std::uint64_t seen = model.Revision();
    for (auto _ : state) {
        telemetry::Snapshot s = Moving(varying ? i++ : 0);
        presentation.Present(s, context);
        changed += view.Sync();
        QRegion places;
        for (std::size_t e = 0; e < panel::kElementCount; ++e) {
            if (model[static_cast<panel::Element>(e)].revision > seen) {
                places += view.ElementRect(static_cast<panel::Element>(e));
            }
        }
        seen = model.Revision();
        if (!places.isEmpty()) {
            view.repaint(places);
        }
    }
    state.counters["elements_changed"] =
        benchmark::Counter(static_cast<double>(changed), benchmark::Counter::kAvgIterations);
}

void BM_PresentAndPaint_Changing(benchmark::State& state) { Present(state, true); }
void BM_PresentIntoPanel_Unchanged(benchmark::State& state) { Present(state, false); }
BENCHMARK(BM_PresentAndPaint_Changing);
BENCHMARK(BM_PresentIntoPanel_Unchanged);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
