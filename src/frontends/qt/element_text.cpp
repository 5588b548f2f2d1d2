// SPDX-License-Identifier: MIT
#include "frontends/qt/element_text.h"

#include <QFontMetrics>
#include <QTransform>
#include <algorithm>
#include <cmath>

#include "frontends/qt/qt_text.h"
#include "panel/text_fitting.h"

namespace kerbview::qt {
namespace {

QFont AtSize(const QFont& base, int px) {
    QFont font = base;
    font.setPixelSize(px);
    return font;
}

}  // namespace

int FitPixelSize(const QFont& base, int pixelSize, const QString& text, QSize box, int margin) {
    const auto width = [&](int px) {
        return static_cast<qreal>(QFontMetrics(AtSize(base, px)).horizontalAdvance(text));
    };
    const auto fits = [&](int px) {
        const QFontMetrics fm(AtSize(base, px));
        return fm.height() <= box.height() &&
               fm.horizontalAdvance(text) <= box.width() - 2 * margin;
    };
    return panel::FittedPixelSize(pixelSize, box.width() - 2 * margin, width, fits);
}

void ElementText::Prepare(const std::string& cp1252, const QFont& base, int wantedPx, QSize box,
                          int margin, bool fit, FigureStepsCache* steps) {
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
    m_text = FromCp1252(cp1252);
    m_font = AtSize(base, std::max(6, wantedPx));
    m_placed = steps != nullptr && !m_text.isEmpty() && PlaceFromSteps(*steps);
    if (m_placed) {
        return;
    }
    Shape();
    // The wanted size fits nearly always; only a text that does not is measured again.
    if (fit && !m_text.isEmpty() &&
        (m_size.width() > box.width() - 2 * margin || m_size.height() > box.height())) {
        m_font = AtSize(base, FitPixelSize(base, wantedPx, m_text, box, margin));
        Shape();
    }
}

// A read-out at the wanted size, or at the largest size that fits, when every size tried is
// plain in its font; false leaves the text to the shaper.
bool ElementText::PlaceFromSteps(FigureStepsCache& steps) {
    const FigureSteps* at = &steps.For(m_font);
    if (!at->Covers(m_text)) {
        return false;
    }
    const int room = m_box.width() - 2 * m_margin;
    if (m_fit) {
        bool plain = true;
        const auto width = [&](int px) {
            const FigureSteps& s = steps.For(AtSize(m_base, px));
            plain &= s.Plain();
            return s.Plain() ? s.Width(m_text) : 0.0;
        };
        // As the shaped search measures: whole pixels.
        const auto fits = [&](int px) {
            const FigureSteps& s = steps.For(AtSize(m_base, px));
            plain &= s.Plain();
            return s.Plain() && qRound(s.Width(m_text)) <= room && s.LineHeight() <= m_box.height();
        };
        const int px = panel::FittedPixelSize(m_wanted, room, width, fits);
        if (!plain) {
            return false;
        }
        m_font = AtSize(m_base, px);
        at = &steps.For(m_font);
    }
    const QFontMetricsF metrics(m_font);
    m_ascent = metrics.ascent();
    // A line of the font is what the toolkit centres in a box, whatever the glyphs reach.
    m_size = QSizeF(at->Width(m_text), metrics.height());
    m_run = at->Place(m_text);
    return true;
}

void ElementText::Shape() {
    m_glyphs = QStaticText(m_text);
    m_glyphs.setTextFormat(Qt::PlainText);
    m_glyphs.prepare(QTransform(), m_font);
    m_size = QSizeF(m_glyphs.size().width(), QFontMetricsF(m_font).height());
}

void ElementText::Draw(QPainter& painter, const QPointF& at) const {
    if (m_placed) {
        painter.drawGlyphRun(at + QPointF(0, m_ascent), m_run);
    } else {
        painter.setFont(m_font);
        painter.drawStaticText(at, m_glyphs);
    }
}

}  // namespace kerbview::qt
