// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <functional>

namespace kerbview::qt {

/// What a bar gauge shows.
struct GaugeLook {
    Qt::Orientation orientation = Qt::Horizontal;
    double minvalue = 0;
    double maxvalue = 100;
    double value = 0;
    QColor backcolor{Qt::black};
    QColor forecolor{Qt::darkBlue};
    QColor textcolor{Qt::white};
    QColor textbkcolor{Qt::black};
};

/// Draws a bar gauge into `r`: the bar filled over its share (panel::BarFillFraction), a thin
/// frame, and a text `textWidth` wide in `font` centred on it with an outline in the text back
/// colour; `drawText` draws the text, in the painter's pen, with the top left of its line at
/// the point given (none for no text). Leaves the painter as it found it.
void PaintBarGauge(QPainter& painter, const QRectF& r, const GaugeLook& look, qreal textWidth,
                   const QFont& font, const std::function<void(const QPointF&)>& drawText);

}  // namespace kerbview::qt
