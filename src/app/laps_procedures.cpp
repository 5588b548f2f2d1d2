// SPDX-License-Identifier: MIT
// The program's side of the lap history: the laps view kept up to date, the consumption kept
// between runs, the race dialog and the laps' export.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <system_error>

#include "app/laps_presenter.h"
#include "app/program.h"
#include "core/path_text.h"
#include "core/text_encoding.h"
#include "laps/display_units.h"
#include "laps/laps_csv.h"
#include "panel/units.h"

namespace kerbview::app {
namespace {

namespace fs = std::filesystem;

laps::RaceSettings RaceSettingsOf(const core::Settings& s) {
    laps::RaceSettings race;
    if (s.RaceLength > 0) {
        race.Length = laps::RaceLength{
            s.RaceLengthMinutes ? laps::RaceLength::Unit::Minutes : laps::RaceLength::Unit::Laps,
            s.RaceLength};
    }
    race.ReserveLaps = s.RaceReserveLaps;
    if (s.RaceTankSize > 0) race.TankSize = s.RaceTankSize;
    return race;
}

// Writes text to a new file beside path and renames it over path only once whole, so a failed
// write never loses the file there. Empty when written; else why not.
std::string ReplaceFile(const fs::path& path, const std::string& text) {
    fs::path part = path;
    part += ".part";
    std::error_code error;
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            fs::remove(part, error);
            return "cannot write " + core::PathToUtf8(part);
        }
    }
    fs::rename(part, path, error);
    if (error) {
        std::error_code ignored;
        fs::remove(part, ignored);
        return "cannot rename " + core::PathToUtf8(part) + ": " + error.message();
    }
    return {};
}

std::string NumberText(double value) {
    std::string text;
    core::AppendShortest(text, value);
    return text;
}

// A value shown in the dialog: "" for none, else with the user's separator, two decimals at
// most.
std::string DialogText(double value, char decimalSeparator) {
    if (value <= 0) return "";
    return core::DoubleText(std::round(value * 100) / 100, decimalSeparator);
}

}  // namespace

fs::path Program::ConsumptionFile() const { return m_programFolder / "consumption.txt"; }

void Program::LoadConsumptions() {
    m_consumptions.clear();
    std::ifstream in(ConsumptionFile(), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (std::optional<laps::ConsumptionMemory> kept = laps::ConsumptionMemory::FromLine(line)) {
            m_consumptions.push_back(std::move(*kept));
        }
    }
}

std::int64_t Program::LapsNowMs() const {
    return m_replay ? m_replay->RecordedMs(m_clock.NowMs()) : m_clock.NowMs();
}

std::optional<laps::Consumption> Program::RememberedConsumption() const {
    for (const laps::ConsumptionMemory& kept : m_consumptions) {
        if (kept.Car == m_lapHistory.CarName() && kept.Track == m_lapHistory.TrackName()) {
            return kept.Figure;
        }
    }
    return std::nullopt;
}

// Called when the rows changed, so at most once a lap: the stint's own figure replaces the
// one kept for its car and track when it moved.
void Program::KeepConsumption() {
    const std::optional<laps::Consumption> stint = laps::StintConsumption(m_lapHistory.Rows());
    if (!stint || m_lapHistory.CarName().empty()) return;
    laps::ConsumptionMemory now{m_lapHistory.CarName(), m_lapHistory.TrackName(), *stint};
    now.Figure.FromMemory = true;  // as it reads back
    auto kept = std::find_if(m_consumptions.begin(), m_consumptions.end(), [&](const auto& k) {
        return k.Car == now.Car && k.Track == now.Track;
    });
    if (kept != m_consumptions.end() && *kept == now) return;
    if (kept != m_consumptions.end()) {
        *kept = now;
    } else {
        m_consumptions.push_back(now);
    }
    std::string text;
    for (const laps::ConsumptionMemory& k : m_consumptions) text += k.ToLine() + "\n";
    if (const std::string failure = ReplaceFile(ConsumptionFile(), text); !failure.empty()) {
        m_errors.ReportError("KeepConsumption", failure);
    }
}

void Program::UpdateLaps(bool notify) {
    try {
        const bool imperial = panel::IsImperial(m_settings.Unitats);
        const LapsViewStyle style{m_texts, imperial, m_decimalSeparator};
        bool changed = false;
        if (m_lapHistory.Revision() != m_lapsTableKey.revision ||
            m_settings.Idioma != m_lapsTableKey.idioma || imperial != m_lapsTableKey.imperial ||
            !m_lapsTableKey.built) {
            if (m_lapHistory.Revision() != m_lapsTableKey.revision) KeepConsumption();
            m_lapsTableKey = {m_lapHistory.Revision(), m_settings.Idioma, imperial, true};
            laps::LapsView table = LapsTable(m_lapHistory.Rows(), style);
            if (table.title != m_lapsView.title || table.columns != m_lapsView.columns ||
                table.rows != m_lapsView.rows || table.plots != m_lapsView.plots) {
                table.figures = std::move(m_lapsView.figures);
                table.revision = m_lapsView.revision;
                m_lapsView = std::move(table);
                changed = true;
            }
        }
        const std::optional<laps::FuelFigures> fuel =
            laps::FuelToFinish(m_lapHistory.Rows(), laps::RaceNowOf(m_lapHistory, LapsNowMs()),
                               RaceSettingsOf(m_settings), RememberedConsumption());
        std::vector<laps::LapsView::Figure> figures = LapsFigures(fuel, style);
        if (figures != m_lapsView.figures) {
            m_lapsView.figures = std::move(figures);
            changed = true;
        }
        if (changed) {
            ++m_lapsView.revision;
            if (notify) m_frontEnd->LapsChanged();
        }
    } catch (...) {
        m_errors.ReportCurrentException("UpdateLaps");
    }
}

void Program::SnapshotsRestart() {
    m_snapshotsRestart = true;
    m_lapHistory.Restart();
}

void Program::ShowRaceDialog() {
    const ui::LanguageTexts& t = m_texts;
    std::string title = t.TxtRaceSettingsMenu;
    if (title.ends_with("...")) title.resize(title.size() - 3);
    const bool imperial = panel::IsImperial(m_settings.Unitats);
    // The tank size is typed in the display unit, which its caption names.
    const RaceDialogTexts texts{title,
                                t.TxtRaceLength,
                                t.TxtLapsUnit,
                                t.TxtMinutesUnit,
                                t.TxtReserveLaps,
                                t.TxtTankSize + (imperial ? " (gal)" : " (L)"),
                                t.TxtOk,
                                t.TxtBadRaceValue};
    std::string tank =
        DialogText(laps::ForDisplay(laps::Quantity::Fuel, m_settings.RaceTankSize, imperial),
                   m_decimalSeparator);
    const RaceDialogValues values{
        DialogText(m_settings.RaceLength, m_decimalSeparator), m_settings.RaceLengthMinutes,
        core::DoubleText(m_settings.RaceReserveLaps, m_decimalSeparator), std::move(tank)};
    m_frontEnd->ShowRaceDialog(texts, values);
}

// An empty length or tank size is none; an empty reserve is the default lap. None of these
// values is large enough for digit grouping, so a point or a comma is the decimal mark
// whatever the locale: 1.5 reserve laps typed where the mark is a comma are 1.5, not 15.
RaceDialogOutcome Program::RaceDialogAccept(const RaceDialogValues& typed) {
    const auto read = [this](std::string text, double empty) -> std::optional<double> {
        if (text.find_first_not_of(' ') == std::string::npos) return empty;
        std::replace(text.begin(), text.end(), m_decimalSeparator == ',' ? '.' : ',',
                     m_decimalSeparator);
        try {
            return core::ParseDouble(text, m_decimalSeparator);
        } catch (const core::NumberError&) {
            return std::nullopt;
        }
    };
    const std::optional<double> length = read(typed.length, 0);
    const std::optional<double> reserve = read(typed.reserve, 1);
    std::optional<double> tank = read(typed.tank, 0);
    if (tank) {
        tank =
            laps::FromDisplay(laps::Quantity::Fuel, *tank, panel::IsImperial(m_settings.Unitats));
    }
    if (!length || !core::RaceValueFits(*length, core::kMaxRaceLength, !typed.minutes) ||
        !reserve || !core::RaceValueFits(*reserve, core::kMaxRaceReserveLaps) || !tank ||
        !core::RaceValueFits(*tank, core::kMaxRaceTankSize)) {
        return RaceDialogOutcome::Refused;
    }
    m_settings.RaceLength = *length;
    m_settings.RaceLengthMinutes = typed.minutes;
    m_settings.RaceReserveLaps = *reserve;
    m_settings.RaceTankSize = *tank;
    m_store.BeginBatch();
    m_store.Write(core::kRace, "Length", NumberText(*length));
    m_store.Write(core::kRace, "LengthUnit", typed.minutes ? "Minutes" : "Laps");
    m_store.Write(core::kRace, "ReserveLaps", NumberText(*reserve));
    m_store.Write(core::kRace, "TankSize", NumberText(*tank));
    if (const core::WriteResult written = m_store.EndBatch();
        written.status == core::WriteStatus::Failed) {
        m_errors.ReportError("RaceDialogAccept", written.error);
    }
    return RaceDialogOutcome::Accepted;
}

bool Program::ExportLaps(const fs::path& csv) {
    std::string failure;
    try {
        std::ostringstream out;
        // A lap that ended while its time is awaited is written too, without one.
        std::vector<laps::LapRow> rows = m_lapHistory.Rows();
        if (m_lapHistory.Pending()) rows.push_back(*m_lapHistory.Pending());
        laps::WriteLapsCsv(rows, out);
        failure = ReplaceFile(csv, out.str());
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (failure.empty()) return true;
    m_errors.ReportError("ExportLaps", failure);
    if (m_frontEnd != nullptr) {
        m_frontEnd->ShowMessage(m_texts.TxtExportFailed, core::Utf8ToCp1252(core::PathToUtf8(csv)));
    }
    return false;
}

}  // namespace kerbview::app
