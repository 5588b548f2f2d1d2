// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QImage>
#include <QLabel>
#include <QWidget>
#include <string>
#include <vector>

namespace kerbview::qt {

/// The QR code of text: moduleSize pixels a module, black on white, with the quiet zone of four
/// modules that readers need. A null image when text is too long for a code.
QImage QrCode(const QByteArray& text, int moduleSize);

/// The small window that tells how to open the dashboard: the addresses to type and, for a
/// phone's camera, the QR code of the one chosen (the first at opening); or, when the dashboard
/// could not be served, why. Not modal.
class DashboardWindow : public QWidget {
    Q_OBJECT

public:
    /// title and problem are Windows-1252 texts; urls are plain ASCII. With a non-empty
    /// problem the window shows it instead of the addresses.
    DashboardWindow(const std::string& title, const std::vector<std::string>& urls,
                    const std::string& problem, QWidget* parent = nullptr);

    /// The code's picture: shows the code of the address chosen.
    QLabel* Code() const { return m_code; }

private:
    void ShowCode(const QString& url);

    QLabel* m_code;
};

}  // namespace kerbview::qt
