// SPDX-License-Identifier: MIT
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <array>
#include <functional>

namespace kerbview::qt {

/// The Admin window, titled "Administrar Kerbview": three option buttons choosing how the
/// player's driver slot is found (Option1(0) "Local", Option1(1) "Monitor", Option1(2)
/// "Forçat"), a text box Text1 and two buttons "+" and "-" that do nothing. Not modal.
class AdminWindow : public QWidget {
    Q_OBJECT

public:
    /// onSelect receives the index of an option button when it is chosen (DriverSelectMode).
    explicit AdminWindow(std::function<void(int)> onSelect, QWidget* parent = nullptr);

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
