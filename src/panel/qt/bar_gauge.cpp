// SPDX-License-Identifier: MIT
#include "panel/qt/bar_gauge.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace kerbview::panel::qt {

BarGauge::BarGauge(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), m_orientation(orientation) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

double BarGauge::FillFraction(double minvalue, double maxvalue, double value) {
    const double span = maxvalue - minvalue;
    if (!(span != 0) || !std::isfinite(span)) {
        return 0;
    }
    const double f = (value - minvalue) / span;
    if (std::isnan(f)) {
        return 0;
    }
    return std::clamp(f, 0.0, 1.0);
}

void BarGauge::setMinvalue(double v) {
    m_minvalue = v;
    update();
}
void BarGauge::setMaxvalue(double v) {
    m_maxvalue = v;
    update();
}
void BarGauge::setValue(double v) {
    m_value = v;
    update();
}
void BarGauge::setText(const QString& text) {
    m_text = text;
    update();
}
void BarGauge::setBackcolor(const QColor& c) {
    m_backcolor = c;
    update();
}
void BarGauge::setForecolor(const QColor& c) {
    m_forecolor = c;
    update();
}
void BarGauge::setTextcolor(const QColor& c) {
    m_textcolor = c;
    update();
}
void BarGauge::setTextbkcolor(const QColor& c) {
    m_textbkcolor = c;
    update();
}

void BarGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRectF r = rect();
    p.fillRect(r, m_backcolor);

    const double f = FillFraction(m_minvalue, m_maxvalue, m_value);
    QRectF fill = r;
    if (m_orientation == Qt::Horizontal) {
        fill.setWidth(r.width() * f);
    } else {
        fill.setTop(r.bottom() + 1 - r.height() * f);
    }
    p.fillRect(fill, m_forecolor);
    // A thin frame keeps an empty bar visible on a background of its own colour.
    p.setPen(QColor(0x60, 0x60, 0x60));
    p.drawRect(r.adjusted(0, 0, -1, -1));

    if (m_text.isEmpty()) {
        return;
    }
    // The text gets an outline in the text back colour so it stays readable where it
    // crosses from the fill onto the empty part of the bar: the text drawn around its place one
    // pixel away in eight directions, then on it. Drawn text comes from the font's cache of
    // rendered glyphs; outlines taken from the font and stroked anew on every change of the
    // figure (engine speed and speed change on nearly every scan) cost ten times as much.
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(font());
    const QFontMetricsF fm(font());
    const QPointF at(r.center().x() - fm.horizontalAdvance(m_text) / 2,
                     r.center().y() + (fm.ascent() - fm.descent()) / 2);
    p.setPen(m_textbkcolor);
    for (const QPointF step : {QPointF(-1, -1), QPointF(0, -1), QPointF(1, -1), QPointF(-1, 0),
                               QPointF(1, 0), QPointF(-1, 1), QPointF(0, 1), QPointF(1, 1)}) {
        p.drawText(at + step, m_text);
    }
    p.setPen(m_textcolor);
    p.drawText(at, m_text);
}

}  // namespace kerbview::panel::qt
