// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kerbview::laps {

/// What the Laps window and the dashboard's laps view show, decided by the program's presenter
/// from the lap history and the fuel strategy: every text in the user's language and display
/// units, Windows-1252 (converted once, at display). Plain data; views draw it as it is.
struct LapsView {
    /// The window's title ("Laps" in the user's language).
    std::string title;
    /// The table's column headers, units included ("Lap", "Time", "Fuel used (L)", ...).
    std::vector<std::string> columns;
    struct Row {
        /// One text per column, formatted with the user's decimal separator.
        std::vector<std::string> cells;
        bool best = false;  ///< the best lap: drawn marked (bold, or a mark)
        bool pit = false;   ///< the lap touched the pits: drawn dimmed or marked
        bool operator==(const Row&) const = default;
    };
    /// Oldest lap first.
    std::vector<Row> rows;
    /// The fuel figures, one line each: a caption and its value ("Consumption", "2.41 L/lap
    /// from 5 laps"; "Fuel to add", "12.4 L"). The value "" shows the figure is not known yet.
    struct Figure {
        std::string caption;
        std::string value;
        bool operator==(const Figure&) const = default;
    };
    std::vector<Figure> figures;
    /// Per lap, oldest first, for the dashboard's small plots: numbers in the display units;
    /// one entry per row (a lap without a time gives 0).
    struct Plot {
        std::string caption;  ///< "Lap time (s)", "Fuel used (L)", "Tyre temperature (C)"
        std::vector<std::string> series;          ///< the lines' names ("FL", "FR", ...), or one ""
        std::vector<std::vector<double>> values;  ///< values[line][row]
        bool operator==(const Plot&) const = default;
    };
    std::vector<Plot> plots;
    /// Goes up whenever anything above changes (a lap ends, a figure moves, the language or the
    /// units change): views redraw only when it moved.
    std::uint64_t revision = 0;
};

}  // namespace kerbview::laps
