// SPDX-License-Identifier: MIT
#include "frontends/qt/bar_gauge.h"

#include <QPainter>
#include <QStaticText>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace kerbview::qt {

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

void PaintBarGauge(QPainter& p, const QRectF& r, const GaugeLook& look, qreal textWidth,
                   const QFont& font, const std::function<void(const QPointF&)>& drawText) {
    p.save();
    p.setClipRect(r, Qt::IntersectClip);
    p.fillRect(r, look.backcolor);
    const double f = BarGauge::FillFraction(look.minvalue, look.maxvalue, look.value);
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

void BarGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStaticText text(m_text);
    text.setTextFormat(Qt::PlainText);
    text.prepare(QTransform(), font());
    const auto draw = [&](const QPointF& at) { p.drawStaticText(at, text); };
    PaintBarGauge(p, rect(),
                  {m_orientation, m_minvalue, m_maxvalue, m_value, m_backcolor, m_forecolor,
                   m_textcolor, m_textbkcolor},
                  text.size().width(), font(),
                  m_text.isEmpty() ? std::function<void(const QPointF&)>() : draw);
}

}  // namespace kerbview::qt
