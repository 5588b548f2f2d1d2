// SPDX-License-Identifier: MIT
#include "frontends/qt/dashboard_window.h"

#include <qrencode.h>

#include <QButtonGroup>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>
#include <memory>

#include "frontends/qt/qt_text.h"

namespace kerbview::qt {
namespace {

constexpr int kQuietZone = 4;

}  // namespace

QImage QrCode(const QByteArray& text, int moduleSize) {
    const std::unique_ptr<QRcode, void (*)(QRcode*)> code(
        QRcode_encodeString(text.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), QRcode_free);
    if (!code) {
        return {};
    }
    const int modules = code->width + 2 * kQuietZone;
    QImage image(modules * moduleSize, modules * moduleSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            // Bit 0 of each module tells whether it is dark.
            if (code->data[y * code->width + x] & 1) {
                painter.fillRect((x + kQuietZone) * moduleSize, (y + kQuietZone) * moduleSize,
                                 moduleSize, moduleSize, Qt::black);
            }
        }
    }
    return image;
}

DashboardWindow::DashboardWindow(const std::string& title, const std::vector<std::string>& urls,
                                 const std::string& problem, QWidget* parent)
    : QWidget(parent, Qt::Window), m_code(new QLabel(this)) {
    setObjectName(QStringLiteral("WebDashboardWindow"));
    setWindowTitle(FromCp1252(title));
    auto* layout = new QVBoxLayout(this);
    QFont large = font();
    large.setPointSizeF(large.pointSizeF() * 1.4);
    if (!problem.empty()) {
        auto* line = new QLabel(FromCp1252(problem), this);
        line->setFont(large);
        layout->addWidget(line);
        m_code->hide();
    } else if (urls.size() == 1) {
        auto* line = new QLabel(QString::fromStdString(urls.front()), this);
        line->setFont(large);
        line->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(line);
        ShowCode(line->text());
    } else if (!urls.empty()) {
        // One choice per address; the code shows the one chosen.
        auto* group = new QButtonGroup(this);
        for (const std::string& url : urls) {
            const QString text = QString::fromStdString(url);
            auto* choice = new QRadioButton(text, this);
            choice->setFont(large);
            group->addButton(choice);
            layout->addWidget(choice);
            connect(choice, &QRadioButton::toggled, this, [this, text](bool on) {
                if (on) ShowCode(text);
            });
        }
        group->buttons().first()->setChecked(true);
    }
    m_code->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_code);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void DashboardWindow::ShowCode(const QString& url) {
    m_code->setPixmap(QPixmap::fromImage(QrCode(url.toLatin1(), 6)));
}

}  // namespace kerbview::qt
