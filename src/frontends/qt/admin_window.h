// SPDX-License-Identifier: MIT
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <array>
#include <functional>

#include "app/front_end.h"

namespace kerbview::qt {

/// The Admin window: three option buttons Option1(0..2) choosing how the player's driver slot
/// is found, a text box Text1 and two buttons "+" and "-" that do nothing. Not modal.
class AdminWindow : public QWidget {
    Q_OBJECT

public:
    /// onSelect receives the index of an option button when it is chosen (DriverSelectMode).
    AdminWindow(const app::AdminTexts& texts, std::function<void(int)> onSelect,
                QWidget* parent = nullptr);

    /// Shows the window and selects Option1(0), which counts as choosing it.
    void Open();

    QRadioButton* Option1(int index) const { return m_options.at(static_cast<std::size_t>(index)); }
    QLineEdit* Text1() const { return m_text1; }

private:
    std::function<void(int)> m_onSelect;
    std::array<QRadioButton*, 3> m_options{};
    QLineEdit* m_text1;
};

}  // namespace kerbview::qt
