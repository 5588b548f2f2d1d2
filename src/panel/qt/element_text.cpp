// SPDX-License-Identifier: MIT
#include "panel/qt/element_text.h"

#include <QFontMetrics>
#include <QTextLayout>
#include <QTransform>
#include <algorithm>
#include <cmath>

#include "core/text_encoding.h"

namespace kerbview::panel::qt {

int FitPixelSize(const QFont& base, int pixelSize, const QString& text, QSize box, int margin) {
    QFont font = base;
    const auto width = [&](int px) {
        font.setPixelSize(px);
        return QFontMetrics(font).horizontalAdvance(text);
    };
    const auto fits = [&](int px) {
        const int w = width(px);
        return QFontMetrics(font).height() <= box.height() && w <= box.width() - 2 * margin;
    };
    const int wanted = std::max(6, pixelSize);
    if (wanted == 6 || fits(wanted)) {
        return wanted;
    }
    // A text's width grows about in step with the size: start where the width says, then
    // correct by whole pixels, instead of trying every size from the top.
    const int full = std::max(1, width(wanted));
    int px = std::clamp((box.width() - 2 * margin) * wanted / full, 6, wanted - 1);
    while (px > 6 && !fits(px)) {
        --px;
    }
    while (px + 1 < wanted && fits(px + 1)) {
        ++px;
    }
    return px;
}

int FilledFieldMargin(int wantedPixelSize) {
    return std::max(2, static_cast<int>(std::lround(wantedPixelSize / 10.0)));
}

namespace {

// The characters of a figure: digits, separators, signs and the blank.
const QString& FigureCharacters() {
    static const QString characters = QStringLiteral("0123456789.,:- ");
    return characters;
}

}  // namespace

void ElementText::Prepare(const std::string& cp1252, const QFont& base, int wantedPx, QSize box,
                          int margin, bool fit) {
    if (m_ready && cp1252 == m_key && wantedPx == m_wanted && box == m_box && margin == m_margin &&
        fit == m_fit && base == m_base) {
        return;
    }
    m_ready = true;
    m_key = cp1252;
    m_base = base;
    m_wanted = wantedPx;
    m_box = box;
    m_margin = margin;
    m_fit = fit;

    m_text = QString::fromUtf8(core::Cp1252ToUtf8(cp1252));
    m_font = base;
    m_font.setPixelSize(std::max(6, wantedPx));
    const QFontMetricsF metrics(m_font);
    m_ascent = metrics.ascent();
    const auto fits = [&] {
        return m_size.width() <= box.width() - 2 * margin && metrics.height() <= box.height();
    };
    m_byAdvances = LayOutFigures();
    if (m_byAdvances && (!fit || fits())) {
        return;
    }
    m_byAdvances = false;
    Shape();
    // The wanted size fits nearly always; only a text that does not is measured size by size.
    if (fit && !m_text.isEmpty() && !fits()) {
        m_font.setPixelSize(FitPixelSize(base, wantedPx, m_text, box, margin));
        m_ascent = QFontMetricsF(m_font).ascent();
        Shape();
    }
}

void ElementText::Shape() {
    m_glyphs = QStaticText(m_text);
    m_glyphs.setTextFormat(Qt::PlainText);
    m_glyphs.prepare(QTransform(), m_font);
    // A line of the font is what the toolkit centres in a box, whatever the glyphs reach.
    m_size = QSizeF(m_glyphs.size().width(), QFontMetricsF(m_font).height());
}

bool ElementText::LayOutFigures() {
    if (m_text.isEmpty()) {
        return false;
    }
    for (QChar c : m_text) {
        if (!FigureCharacters().contains(c)) {
            return false;
        }
    }
    if (!FiguresArePlain()) {
        return false;
    }
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(m_text.size());
    positions.reserve(m_text.size());
    const auto n = FigureCharacters().size();
    qreal x = 0;
    qsizetype previous = -1;
    for (QChar c : m_text) {
        const auto k = FigureCharacters().indexOf(c);
        if (previous >= 0) {
            x += m_figureSteps[static_cast<std::size_t>(previous * n + k)];
        }
        glyphs.append(m_figureGlyphs[k]);
        positions.append(QPointF(x, 0));
        previous = k;
    }
    x += m_figureAdvances[previous];
    m_run.setRawFont(m_raw);
    m_run.setGlyphIndexes(glyphs);
    m_run.setPositions(positions);
    m_size = QSizeF(x, QFontMetricsF(m_font).height());
    return true;
}

// Shapes every ordered pair of figure characters once and reads from the shaper's positions
// how far each character moves the next one on: its advance plus the pair's kerning. Where one
// pair moves differently in two places (the shaper looks further than a pair), or the shaper
// picks other glyphs, figures in this font are left to the shaper.
bool ElementText::FiguresArePlain() {
    if (m_font == m_checkedFont) {
        return m_figuresPlain;
    }
    m_checkedFont = m_font;
    m_figuresPlain = false;
    m_raw = QRawFont::fromFont(m_font);
    if (!m_raw.isValid()) {
        return false;
    }
    const QString& characters = FigureCharacters();
    const auto n = characters.size();
    m_figureGlyphs = m_raw.glyphIndexesForString(characters);
    if (m_figureGlyphs.size() != n || m_figureGlyphs.contains(0u)) {
        return false;
    }
    QString pairs;
    for (QChar a : characters) {
        for (QChar b : characters) {
            pairs += a;
            pairs += b;
        }
    }
    QTextLayout layout(pairs, m_font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setNumColumns(static_cast<int>(pairs.size()));
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() != 1 || runs[0].glyphIndexes().size() != pairs.size()) {
        return false;
    }
    const QList<quint32> shaped = runs[0].glyphIndexes();
    const QList<QPointF> placed = runs[0].positions();
    m_figureSteps.assign(static_cast<std::size_t>(n * n), -1.0);
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        const auto k = characters.indexOf(pairs[i]);
        if (shaped[i] != m_figureGlyphs[k]) {
            return false;
        }
        if (i + 1 < pairs.size()) {
            const auto step = static_cast<std::size_t>(k * n + characters.indexOf(pairs[i + 1]));
            const qreal moved = placed[i + 1].x() - placed[i].x();
            if (m_figureSteps[step] >= 0 && std::abs(m_figureSteps[step] - moved) > 1.0 / 64) {
                return false;
            }
            m_figureSteps[step] = moved;
        }
    }
    // The last character of a text moves nothing on, but the text's width takes its advance.
    const QList<QPointF> advances = m_raw.advancesForGlyphIndexes(m_figureGlyphs);
    m_figureAdvances.clear();
    for (const QPointF& a : advances) {
        m_figureAdvances.append(a.x());
    }
    m_figuresPlain = true;
    return true;
}

void ElementText::Draw(QPainter& painter, const QPointF& at) const {
    if (m_byAdvances) {
        painter.drawGlyphRun(at + QPointF(0, m_ascent), m_run);
    } else {
        painter.setFont(m_font);
        painter.drawStaticText(at, m_glyphs);
    }
}

}  // namespace kerbview::panel::qt
