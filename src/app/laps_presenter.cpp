// SPDX-License-Identifier: MIT
#include "app/laps_presenter.h"

#include <algorithm>
#include <string>

#include "core/number_rules.h"
#include "laps/display_units.h"
#include "panel/presentation_sections.h"

namespace kerbview::app {
namespace {

using laps::Quantity;

constexpr const char* kWheels[4] = {"FL", "FR", "RL", "RR"};

std::string FuelUnit(bool imperial) { return imperial ? "gal" : "L"; }
std::string TemperatureUnit(bool imperial) {
    return imperial ? "\xB0"
                      "F"
                    : "\xB0"
                      "C";
}

std::string WithUnit(const std::string& caption, const std::string& unit) {
    return caption + " (" + unit + ")";
}

double Shown(Quantity q, double value, const LapsViewStyle& style) {
    return laps::ForDisplay(q, value, style.imperial);
}

std::string Number(double value, core::Picture picture, const LapsViewStyle& style) {
    return core::FormatPicture(value, picture, style.decimalSeparator);
}

// Two decimals with a digit before the separator: "0,85", "-0,40".
std::string FuelText(double litres, const LapsViewStyle& style) {
    std::string text =
        Number(Shown(Quantity::Fuel, litres, style), core::Picture::PointZeroZero, style);
    const std::size_t at = text.starts_with('-') ? 1 : 0;
    if (at < text.size() && text[at] == style.decimalSeparator) text.insert(at, "0");
    return text;
}

std::string TemperatureText(double celsius, const LapsViewStyle& style) {
    return Number(Shown(Quantity::Temperature, celsius, style), core::Picture::Zero, style);
}

// The mean of a wheel's three zones (inside, middle, outside).
double WheelAverage(const laps::LapRow& row, int wheel) {
    const auto* zones = &row.TyreTempAverage[static_cast<std::size_t>(wheel) * 3];
    return (static_cast<double>(zones[0]) + zones[1] + zones[2]) / 3;
}

std::string PitText(const laps::LapRow& row, const ui::LanguageTexts& t) {
    if (row.InLap && row.OutLap) return t.TxtPitIn + "/" + t.TxtPitOut;
    if (row.InLap) return t.TxtPitIn;
    if (row.OutLap) return t.TxtPitOut;
    return row.TouchedPits ? t.TxtPit : "";
}

}  // namespace

laps::LapsView LapsTable(std::span<const laps::LapRow> rows, const LapsViewStyle& style) {
    const ui::LanguageTexts& t = style.texts;
    const std::string fuel = FuelUnit(style.imperial);
    const std::string temperature = TemperatureUnit(style.imperial);
    laps::LapsView view;
    view.title = t.TxtLapsTitle;
    view.columns = {
        t.TxtLap,      t.TxtLapTime, WithUnit(t.TxtFuelUsed, fuel), WithUnit(t.TxtFuelAtLine, fuel),
        t.TxtPosition, t.TxtPit};
    for (const char* wheel : kWheels) {
        view.columns.push_back(WithUnit(t.TxtTyre + " " + wheel, temperature));
    }
    view.columns.push_back(WithUnit(t.TxtBrakes, temperature));
    view.columns.push_back(WithUnit(t.TxtWater, temperature));
    view.columns.push_back(WithUnit(t.TxtOil, temperature));
    view.columns.push_back("rpm");

    laps::LapsView::Plot lapTime{WithUnit(t.TxtLapTime, "s"), {""}, {{}}};
    laps::LapsView::Plot fuelUsed{WithUnit(t.TxtFuelUsed, fuel), {""}, {{}}};
    laps::LapsView::Plot tyres{WithUnit(t.TxtTyreTemperature, temperature),
                               {kWheels[0], kWheels[1], kWheels[2], kWheels[3]},
                               std::vector<std::vector<double>>(4)};
    for (const laps::LapRow& row : rows) {
        laps::LapsView::Row shown;
        shown.best = row.Best;
        shown.pit = row.TouchedPits;
        std::vector<std::string>& c = shown.cells;
        c.push_back(core::PlainText(row.LapNumber));
        c.push_back(row.LapTime ? panel::sections::LapTimeText(*row.LapTime, style.decimalSeparator)
                                : "");
        c.push_back(row.FuelUsed ? FuelText(*row.FuelUsed, style) : "");
        c.push_back(FuelText(row.FuelAtLine, style));
        c.push_back(core::PlainText(row.Position));
        c.push_back(PitText(row, t));
        for (int wheel = 0; wheel < 4; ++wheel) {
            c.push_back(TemperatureText(WheelAverage(row, wheel), style));
            tyres.values[static_cast<std::size_t>(wheel)].push_back(
                Shown(Quantity::Temperature, WheelAverage(row, wheel), style));
        }
        c.push_back(TemperatureText(
            *std::max_element(row.BrakeTempPeak.begin(), row.BrakeTempPeak.end()), style));
        c.push_back(TemperatureText(row.WaterTempPeak, style));
        c.push_back(TemperatureText(row.OilTempPeak, style));
        c.push_back(Number(Shown(Quantity::EngineSpeed, row.EngineSpeedPeak, style),
                           core::Picture::Zero, style));
        view.rows.push_back(std::move(shown));
        lapTime.values[0].push_back(row.LapTime.value_or(0));
        fuelUsed.values[0].push_back(row.FuelUsed ? Shown(Quantity::Fuel, *row.FuelUsed, style)
                                                  : 0);
    }
    view.plots = {std::move(lapTime), std::move(fuelUsed), std::move(tyres)};
    return view;
}

std::vector<laps::LapsView::Figure> LapsFigures(const std::optional<laps::FuelFigures>& fuel,
                                                const LapsViewStyle& style) {
    const ui::LanguageTexts& t = style.texts;
    const std::string unit = " " + FuelUnit(style.imperial);
    std::vector<laps::LapsView::Figure> figures{
        {t.TxtConsumption, ""}, {t.TxtLapsOfFuel, ""}, {t.TxtMinutesOfFuel, ""},
        {t.TxtLapsToDrive, ""}, {t.TxtFuelNeeded, ""}, {t.TxtFuelToAdd, ""},
        {t.TxtStops, ""},
    };
    if (!fuel) return figures;
    const laps::Consumption& basis = fuel->Basis;
    std::string restsOn = t.TxtFromEarlier;
    if (!basis.FromMemory) {
        restsOn = t.TxtFromLaps;
        if (const std::size_t at = restsOn.find("%1"); at != std::string::npos) {
            restsOn.replace(at, 2, core::PlainText(basis.Laps));
        }
    }
    figures[0].value = FuelText(basis.FuelPerLap, style) + unit + "/" + t.TxtLap + ", " + restsOn;
    figures[1].value = Number(fuel->LapsOfFuel, core::Picture::ZeroPointZero, style);
    figures[2].value = Number(fuel->MinutesOfFuel, core::Picture::Zero, style);
    if (fuel->Race) {
        figures[3].value = core::PlainText(fuel->Race->LapsToDrive);
        figures[4].value = FuelText(fuel->Race->FuelNeeded, style) + unit;
        figures[5].value = FuelText(fuel->Race->FuelToAdd, style) + unit;
        figures[6].value = core::PlainText(fuel->Race->StopsNeeded);
    }
    return figures;
}

}  // namespace kerbview::app
