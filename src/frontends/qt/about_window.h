// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "app/front_end.h"

namespace kerbview::qt {

/// The about window About_Kerbview: title, program name, description and credit in the
/// language current at opening, the logo (a click opens the community web site) and an OK
/// button that closes it. Not modal.
class AboutWindow : public QDialog {
    Q_OBJECT

public:
    /// The texts are read once here; a later language change does not alter an open window.
    explicit AboutWindow(const app::AboutTexts& texts, QWidget* parent = nullptr);

    QLabel* lblTitle() const { return m_title; }
    QLabel* lblDescription() const { return m_description; }
    QLabel* lblDisclaimer() const { return m_disclaimer; }
    QPushButton* cmdOK() const { return m_ok; }

private:
    QLabel* m_title;
    QLabel* m_description;
    QLabel* m_disclaimer;
    QPushButton* m_ok;
};

}  // namespace kerbview::qt
