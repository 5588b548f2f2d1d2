// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <span>

#include "laps/fuel_strategy.h"
#include "laps/lap_history.h"
#include "laps/laps_view.h"
#include "ui/language_texts.h"

/// What the Laps window and the dashboard's laps view say of the lap history and the fuel
/// strategy: the presenter's decision, in the user's language, display units and decimal
/// separator (Windows-1252).
namespace kerbview::app {

/// The texts and units the laps view is drawn in.
struct LapsViewStyle {
    const ui::LanguageTexts& texts;
    bool imperial = false;
    char decimalSeparator = '.';
};

/// The columns, rows and plots of rows (oldest first). The figures and the revision are left
/// empty: LapsFigures gives the first, the program the second.
laps::LapsView LapsTable(std::span<const laps::LapRow> rows, const LapsViewStyle& style);

/// The fuel figures, one per caption, each "" while unknown (nothing before two green laps, or
/// a figure remembered). The race's figures stay "" without a race length.
std::vector<laps::LapsView::Figure> LapsFigures(const std::optional<laps::FuelFigures>& fuel,
                                                const LapsViewStyle& style);

}  // namespace kerbview::app
