// SPDX-License-Identifier: MIT
#include "frontends/qt/bar_gauge.h"

#include <QPainter>

#include "panel/view_rules.h"

namespace kerbview::qt {

void PaintBarGauge(QPainter& p, const QRectF& r, const GaugeLook& look, qreal textWidth,
                   const QFont& font, const std::function<void(const QPointF&)>& drawText) {
    p.save();
    p.setClipRect(r, Qt::IntersectClip);
    p.fillRect(r, look.backcolor);
    const double f = panel::BarFillFraction(look.minvalue, look.maxvalue, look.value);
    QRectF fill = r;
    if (look.orientation == Qt::Horizontal) {
        fill.setWidth(r.width() * f);
    } else {
        fill.setTop(r.bottom() + 1 - r.height() * f);
    }
    p.fillRect(fill, look.forecolor);
    // A thin frame keeps an empty bar visible on a background of its own colour.
    p.setPen(QColor(0x60, 0x60, 0x60));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));

    if (drawText) {
        // The text gets an outline in the text back colour so it stays readable where it
        // crosses from the fill onto the empty part of the bar: the text drawn around its place
        // one pixel away in eight directions, then on it, from glyphs laid out once per text.
        p.setRenderHint(QPainter::Antialiasing);
        p.setFont(font);
        const QFontMetricsF fm(font);
        const QPointF at(r.center().x() - textWidth / 2,
                         r.center().y() + (fm.ascent() - fm.descent()) / 2 - fm.ascent());
        p.setPen(look.textbkcolor);
        for (const QPointF step : {QPointF(-1, -1), QPointF(0, -1), QPointF(1, -1), QPointF(-1, 0),
                                   QPointF(1, 0), QPointF(-1, 1), QPointF(0, 1), QPointF(1, 1)}) {
            drawText(at + step);
        }
        p.setPen(look.textcolor);
        drawText(at);
    }
    p.restore();
}

}  // namespace kerbview::qt
