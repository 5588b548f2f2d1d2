// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

#include "panel/panel_model.h"

namespace kerbview::qt {

/// The debug window Depuracio: Label1..Label9 stacked from the top, then the
/// two larger labels Label20 (scan time) and Label21 (last error), and under them the log of
/// errors and notices with their messages. It shows a DebugModel and has no buttons or menus;
/// the model keeps being written while the window is closed.
class DebugWindow : public QWidget {
    Q_OBJECT

public:
    /// The model must outlive the window.
    DebugWindow(const std::string& title, const panel::DebugModel& model,
                QWidget* parent = nullptr);

    /// Shows the model's labels when they changed since the last call.
    void Sync();

    /// The label n (1..9, 20 or 21).
    QLabel* Label(int n) const { return m_labels.at(static_cast<std::size_t>(n)); }

private:
    const panel::DebugModel& m_model;
    std::array<QLabel*, 22> m_labels{};
    QPlainTextEdit* m_log;
    std::uint64_t m_seen = ~std::uint64_t{0};
};

}  // namespace kerbview::qt
