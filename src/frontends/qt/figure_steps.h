// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QRawFont>
#include <QString>
#include <memory>
#include <vector>

namespace kerbview::qt {

/// How the shaper places the characters of the read-outs (figures, separators and the letters
/// of the units) in one font: the glyph of each, its advance, and the step from each to the
/// next (advance and kerning), learnt by shaping every ordered pair of them once. A text made
/// only of those characters can then be placed without shaping it.
class FigureSteps {
public:
    explicit FigureSteps(const QFont& font);

    const QFont& Font() const { return m_font; }
    /// Height of a line of the font in whole pixels, as QFontMetrics gives it.
    int LineHeight() const { return m_lineHeight; }
    /// False when the shaper does more in this font than a step per pair (a pair steps
    /// differently in two places, or another glyph is picked): its texts are to be shaped.
    bool Plain() const { return m_plain; }

    /// Whether every character of `text` is one of the read-out characters (and the font plain).
    bool Covers(const QString& text) const;
    /// Width of a covered text, as the shaper would lay it out.
    qreal Width(const QString& text) const;
    /// The glyphs of a covered, non-empty text, from x 0 on the baseline.
    QGlyphRun Place(const QString& text) const;

private:
    // Steps through a covered text: its width, and its glyphs and their places when asked for.
    qreal Walk(const QString& text, QList<quint32>* glyphs, QList<QPointF>* positions) const;

    QFont m_font;
    int m_lineHeight = 0;
    bool m_plain = false;
    QRawFont m_raw;
    QList<quint32> m_glyphs;
    std::vector<qreal> m_advances;
    std::vector<qreal> m_steps;  // by pair: first * count + second
};

/// The steps of the fonts the panel has used, learnt once each; the most recently used few are
/// kept, and looked up most recent first.
class FigureStepsCache {
public:
    const FigureSteps& For(const QFont& font);

private:
    std::vector<std::unique_ptr<FigureSteps>> m_fonts;  // most recently used last
};

}  // namespace kerbview::qt
