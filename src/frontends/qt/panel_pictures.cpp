// SPDX-License-Identifier: MIT
#include "frontends/qt/panel_pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainterPath>
#include <algorithm>

#include "panel/element_catalogue.h"

namespace kerbview::qt {
namespace {

QPointF At(const QRectF& f, double x, double y) {
    return {f.left() + x * f.width(), f.top() + y * f.height()};
}
QRectF Box(const QRectF& f, double x, double y, double w, double h) {
    return {At(f, x, y), QSizeF(w * f.width(), h * f.height())};
}

}  // namespace

void PaintCarTopView(QPainter& p, const QRectF& f) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x18, 0x18, 0x18));
    for (const panel::ShareRect& t : panel::MarkerPlacesOnCarPicture()) {
        p.drawRoundedRect(Box(f, t.x, t.y, t.width, t.height), 3, 3);
    }

    // Body: narrow nose, wide side pods between the axles, tapering tail.
    QPainterPath body;
    body.moveTo(At(f, 0.50, 0.02));
    body.cubicTo(At(f, 0.62, 0.02), At(f, 0.66, 0.10), At(f, 0.66, 0.20));
    body.lineTo(At(f, 0.73, 0.34));
    body.lineTo(At(f, 0.76, 0.62));
    body.lineTo(At(f, 0.72, 0.90));
    body.cubicTo(At(f, 0.70, 0.97), At(f, 0.60, 0.98), At(f, 0.50, 0.98));
    body.cubicTo(At(f, 0.40, 0.98), At(f, 0.30, 0.97), At(f, 0.28, 0.90));
    body.lineTo(At(f, 0.24, 0.62));
    body.lineTo(At(f, 0.27, 0.34));
    body.lineTo(At(f, 0.34, 0.20));
    body.cubicTo(At(f, 0.34, 0.10), At(f, 0.38, 0.02), At(f, 0.50, 0.02));
    QLinearGradient paint(At(f, 0.24, 0), At(f, 0.76, 0));
    paint.setColorAt(0, QColor(0x9A, 0xA4, 0xB0));
    paint.setColorAt(0.5, QColor(0xE8, 0xEC, 0xF0));
    paint.setColorAt(1, QColor(0x9A, 0xA4, 0xB0));
    p.setBrush(paint);
    p.setPen(QPen(QColor(0x40, 0x40, 0x48), 1.2));
    p.drawPath(body);

    // Front and rear wings.
    p.setBrush(QColor(0x50, 0x58, 0x60));
    p.drawRoundedRect(Box(f, 0.20, 0.015, 0.60, 0.035), 2, 2);
    p.drawRoundedRect(Box(f, 0.22, 0.935, 0.56, 0.045), 2, 2);

    // Cockpit: windscreen, roof and rear window.
    p.setBrush(QColor(0x20, 0x30, 0x48));
    QPainterPath glass;
    glass.moveTo(At(f, 0.36, 0.36));
    glass.lineTo(At(f, 0.64, 0.36));
    glass.lineTo(At(f, 0.67, 0.46));
    glass.lineTo(At(f, 0.33, 0.46));
    glass.closeSubpath();
    p.drawPath(glass);
    p.setBrush(QColor(0xC8, 0x20, 0x20));
    p.drawRoundedRect(Box(f, 0.34, 0.46, 0.32, 0.16), 4, 4);
    p.setBrush(QColor(0x20, 0x30, 0x48));
    p.drawRect(Box(f, 0.36, 0.62, 0.28, 0.06));

    // Racing stripe along the bonnet and the tail.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xC8, 0x20, 0x20));
    p.drawRect(Box(f, 0.47, 0.05, 0.06, 0.31));
    p.drawRect(Box(f, 0.47, 0.68, 0.06, 0.26));
    p.restore();
}

void PaintLogo(QPainter& p, const QRectF& f) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(f.topLeft(), f.bottomLeft());
    bg.setColorAt(0, QColor(0x30, 0x38, 0x48));
    bg.setColorAt(1, QColor(0x10, 0x14, 0x1C));
    p.setPen(QPen(QColor(0x80, 0x88, 0x98), 1));
    p.setBrush(bg);
    p.drawRoundedRect(f.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);

    // Kerb stripe along the bottom: alternating red and white blocks.
    const QRectF kerb(f.left() + 4, f.bottom() - f.height() * 0.26, f.width() - 8,
                      f.height() * 0.16);
    const int blocks = 8;
    const double bw = kerb.width() / blocks;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < blocks; ++i) {
        p.setBrush(i % 2 == 0 ? QColor(0xD0, 0x18, 0x18) : QColor(0xF4, 0xF4, 0xF4));
        p.drawRect(QRectF(kerb.left() + i * bw, kerb.top(), bw, kerb.height()));
    }

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setItalic(true);
    font.setPixelSize(std::max(6, static_cast<int>(f.height() * 0.40)));
    const QRectF textBox(f.left(), f.top() + f.height() * 0.08, f.width(), f.height() * 0.55);
    // Shrink until the name fits the width of the frame.
    while (font.pixelSize() > 6 &&
           QFontMetricsF(font).horizontalAdvance(QStringLiteral("KERBVIEW")) > f.width() - 8) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    p.setFont(font);
    p.setPen(QColor(0xFF, 0xC8, 0x30));
    p.drawText(textBox, Qt::AlignCenter, QStringLiteral("KERBVIEW"));
    p.restore();
}

}  // namespace kerbview::qt
