// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QString>
#include <QWidget>
#include <functional>

namespace kerbview::qt {

/// What a bar gauge shows, for drawing one without a widget of its own.
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

/// Draws a bar gauge into `r`: the bar filled over its share (BarGauge::FillFraction), a thin
/// frame, and a text `textWidth` wide in `font` centred on it with an outline in the text back
/// colour; `drawText` draws the text, in the painter's pen, with the top left of its line at
/// the point given (none for no text). Leaves the painter as it found it.
void PaintBarGauge(QPainter& painter, const QRectF& r, const GaugeLook& look, qreal textWidth,
                   const QFont& font, const std::function<void(const QPointF&)>& drawText);

/// A bar gauge: a bar filled over (value - minvalue) / (maxvalue - minvalue) of its length,
/// from the left (horizontal) or from the bottom (vertical), with a text drawn centred on it.
/// Never fails: a value outside the range draws an empty or full bar, and a value that is not a
/// number, or an empty range (maxvalue == minvalue), draws an empty bar.
class BarGauge : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double minvalue READ minvalue WRITE setMinvalue)
    Q_PROPERTY(double maxvalue READ maxvalue WRITE setMaxvalue)
    Q_PROPERTY(double value READ value WRITE setValue)
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(QColor backcolor READ backcolor WRITE setBackcolor)
    Q_PROPERTY(QColor forecolor READ forecolor WRITE setForecolor)
    Q_PROPERTY(QColor textcolor READ textcolor WRITE setTextcolor)
    Q_PROPERTY(QColor textbkcolor READ textbkcolor WRITE setTextbkcolor)

public:
    explicit BarGauge(Qt::Orientation orientation, QWidget* parent = nullptr);

    /// Share of the bar that is filled, 0 to 1. Values outside the range (infinities included)
    /// clamp to its ends; a NaN, an empty range or a range too wide for a double gives 0.
    static double FillFraction(double minvalue, double maxvalue, double value);

    double minvalue() const { return m_minvalue; }
    double maxvalue() const { return m_maxvalue; }
    double value() const { return m_value; }
    const QString& text() const { return m_text; }
    QColor backcolor() const { return m_backcolor; }
    QColor forecolor() const { return m_forecolor; }
    QColor textcolor() const { return m_textcolor; }
    QColor textbkcolor() const { return m_textbkcolor; }
    Qt::Orientation orientation() const { return m_orientation; }

    void setMinvalue(double v);
    void setMaxvalue(double v);
    void setValue(double v);
    void setText(const QString& text);
    void setBackcolor(const QColor& c);
    void setForecolor(const QColor& c);
    void setTextcolor(const QColor& c);
    /// Colour of the thin outline drawn around the text, so it reads on the fill and on the
    /// empty part alike.
    void setTextbkcolor(const QColor& c);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Orientation m_orientation;
    double m_minvalue = 0;
    double m_maxvalue = 100;
    double m_value = 0;
    QString m_text;
    QColor m_backcolor{Qt::black};
    QColor m_forecolor{Qt::darkBlue};
    QColor m_textcolor{Qt::white};
    QColor m_textbkcolor{Qt::black};
};

}  // namespace kerbview::qt
