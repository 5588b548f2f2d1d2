// SPDX-License-Identifier: MIT
#include "frontends/qt/figure_steps.h"

#include <QFontMetrics>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace kerbview::qt {
namespace {

// Figures, separators, signs, the blank and the letters of the unit texts.
const QString& ReadOutCharacters() {
    static const QString characters =
        QStringLiteral("0123456789.,:- kPASIFLG") + QChar(0x00BA) + QLatin1Char('C');
    return characters;
}

constexpr std::size_t kFontsKept = 24;

}  // namespace

FigureSteps::FigureSteps(const QFont& font)
    : m_font(font), m_lineHeight(QFontMetrics(font).height()), m_raw(QRawFont::fromFont(font)) {
    const QString& characters = ReadOutCharacters();
    const auto n = characters.size();
    if (!m_raw.isValid()) {
        return;
    }
    m_glyphs = m_raw.glyphIndexesForString(characters);
    if (m_glyphs.size() != n || m_glyphs.contains(0u)) {
        return;
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
        return;
    }
    const QList<quint32> shaped = runs[0].glyphIndexes();
    const QList<QPointF> placed = runs[0].positions();
    m_steps.assign(static_cast<std::size_t>(n * n), -1.0);
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        const auto k = characters.indexOf(pairs[i]);
        if (shaped[i] != m_glyphs[k]) {
            return;
        }
        if (i + 1 < pairs.size()) {
            const auto pair = static_cast<std::size_t>(k * n + characters.indexOf(pairs[i + 1]));
            const qreal step = placed[i + 1].x() - placed[i].x();
            if (m_steps[pair] >= 0 && std::abs(m_steps[pair] - step) > 1.0 / 64) {
                return;
            }
            m_steps[pair] = step;
        }
    }
    for (const QPointF& a : m_raw.advancesForGlyphIndexes(m_glyphs)) {
        m_advances.push_back(a.x());
    }
    m_plain = true;
}

bool FigureSteps::Covers(const QString& text) const {
    if (!m_plain) {
        return false;
    }
    for (QChar c : text) {
        if (!ReadOutCharacters().contains(c)) {
            return false;
        }
    }
    return true;
}

qreal FigureSteps::Walk(const QString& text, QList<quint32>* glyphs,
                        QList<QPointF>* positions) const {
    const QString& characters = ReadOutCharacters();
    const auto n = characters.size();
    qreal x = 0;
    qsizetype previous = -1;
    for (QChar c : text) {
        const auto k = characters.indexOf(c);
        if (previous >= 0) {
            x += m_steps[static_cast<std::size_t>(previous * n + k)];
        }
        if (glyphs != nullptr) {
            glyphs->append(m_glyphs[k]);
            positions->append(QPointF(x, 0));
        }
        previous = k;
    }
    // The last character steps to nothing, but the text's width takes its advance.
    return previous >= 0 ? x + m_advances[static_cast<std::size_t>(previous)] : 0;
}

qreal FigureSteps::Width(const QString& text) const { return Walk(text, nullptr, nullptr); }

QGlyphRun FigureSteps::Place(const QString& text) const {
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(text.size());
    positions.reserve(text.size());
    Walk(text, &glyphs, &positions);
    QGlyphRun run;
    run.setRawFont(m_raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    return run;
}

const FigureSteps& FigureStepsCache::For(const QFont& font) {
    for (auto it = m_fonts.rbegin(); it != m_fonts.rend(); ++it) {
        if ((*it)->Font() == font) {
            std::rotate(it.base() - 1, it.base(), m_fonts.end());
            return *m_fonts.back();
        }
    }
    if (m_fonts.size() == kFontsKept) {
        m_fonts.erase(m_fonts.begin());
    }
    m_fonts.push_back(std::make_unique<FigureSteps>(font));
    return *m_fonts.back();
}

}  // namespace kerbview::qt
