// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QPainter>
#include <QSize>
#include <QStaticText>
#include <QString>
#include <string>

#include "frontends/qt/figure_steps.h"

namespace kerbview::qt {

/// Largest pixel size, at most pixelSize, at which text fits in box (one line, with margin
/// pixels free on each side); never below 6 pixels.
int FitPixelSize(const QFont& font, int pixelSize, const QString& text, QSize box, int margin);

/// The text of one panel element as it is drawn: the font fitted to the element's box and the
/// laid-out glyphs, made again only when the text, the box, the font or the wanted size
/// changes. A read-out (figures, separators, unit letters) is placed from the steps its font's
/// shaper takes (FigureSteps), without shaping it again; any other text is shaped.
class ElementText {
public:
    /// Makes the text ready for drawing: `cp1252` in `base` at `wantedPx` pixels, made smaller
    /// when it does not fit `box` with `margin` pixels free on each side (fit false: the size
    /// as wanted, never below 6). `steps` holds the fonts' steps; with none, every text is
    /// shaped.
    void Prepare(const std::string& cp1252, const QFont& base, int wantedPx, QSize box, int margin,
                 bool fit, FigureStepsCache* steps);

    /// Draws the text in the painter's pen with the top left of its line at `at`.
    void Draw(QPainter& painter, const QPointF& at) const;

    const QFont& Font() const { return m_font; }
    const QString& Text() const { return m_text; }
    /// Width of the laid-out line and height of a line of the font, in pixels.
    QSizeF Size() const { return m_size; }
    /// True when the text was placed from its font's steps, false when it was shaped.
    bool PlacedFromSteps() const { return m_placed; }

private:
    bool PlaceFromSteps(FigureStepsCache& steps);
    void Shape();

    bool m_ready = false;
    std::string m_key;
    QFont m_base;
    int m_wanted = 0;
    QSize m_box;
    int m_margin = 0;
    bool m_fit = false;
    QFont m_font;
    QString m_text;
    QSizeF m_size;
    qreal m_ascent = 0;
    bool m_placed = false;
    QGlyphRun m_run;
    QStaticText m_glyphs;
};

}  // namespace kerbview::qt
