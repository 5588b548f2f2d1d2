// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "app/front_end.h"
#include "laps/laps_view.h"

class QButtonGroup;
class QGridLayout;
class QLineEdit;
class QRadioButton;
class QTableWidget;

namespace kerbview::qt {

/// The Laps window: the fuel figures above the table of laps (the best lap bold, pit laps
/// dimmed) and an "Export CSV..." button that asks for a file name and hands it to exportLaps.
/// Draws the view it is given as it is; Redraw draws it again when its revision moved.
class LapsWindow : public QWidget {
    Q_OBJECT

public:
    LapsWindow(const laps::LapsView& view, const std::string& exportCaption,
               std::function<bool(const std::filesystem::path&)> exportLaps,
               QWidget* parent = nullptr);

    void Redraw(const laps::LapsView& view);
    QTableWidget* Table() const { return m_table; }

private:
    void Export();

    std::function<bool(const std::filesystem::path&)> m_exportLaps;
    std::string m_exportCaption;
    QGridLayout* m_figures;
    QTableWidget* m_table;
    std::uint64_t m_revision = 0;
    bool m_drawn = false;
};

/// The race dialog: the race length with its unit (laps or minutes), the reserve laps and the
/// tank size. Shown without blocking; its OK button hands the typed values to accept, and a
/// refused value shows the dialog's message and keeps it open.
class RaceDialog : public QDialog {
    Q_OBJECT

public:
    RaceDialog(const app::RaceDialogTexts& texts, const app::RaceDialogValues& values,
               std::function<app::RaceDialogOutcome(const app::RaceDialogValues&)> accept,
               QWidget* parent = nullptr);

private:
    void Accept();

    app::RaceDialogTexts m_texts;
    std::function<app::RaceDialogOutcome(const app::RaceDialogValues&)> m_accept;
    QLineEdit* m_length;
    QRadioButton* m_minutes;
    QLineEdit* m_reserve;
    QLineEdit* m_tank;
};

}  // namespace kerbview::qt
