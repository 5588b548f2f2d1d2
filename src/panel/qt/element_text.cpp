// SPDX-License-Identifier: MIT
#include "panel/qt/element_text.h"

#include <QFontMetrics>
#include <QTransform>
#include <algorithm>
#include <cmath>

#include "core/text_encoding.h"

namespace kerbview::panel::qt {

int FitPixelSize(const QFont& base, int pixelSize, const QString& text, QSize box, int margin) {
    QFont font = base;
    int px = std::max(6, pixelSize);
    for (; px > 6; --px) {
        font.setPixelSize(px);
        const QFontMetrics fm(font);
        if (fm.height() <= box.height() && fm.horizontalAdvance(text) <= box.width() - 2 * margin) {
            break;
        }
    }
    return px;
}

int FilledFieldMargin(int wantedPixelSize) {
    return std::max(2, static_cast<int>(std::lround(wantedPixelSize / 10.0)));
}

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
    const QString& text = m_text;
    m_font = base;
    m_font.setPixelSize(std::max(6, wantedPx));
    m_glyphs = QStaticText(text);
    m_glyphs.setTextFormat(Qt::PlainText);
    m_glyphs.prepare(QTransform(), m_font);
    m_size = m_glyphs.size();
    // The wanted size fits nearly always; only a text that does not is measured size by size.
    if (fit && !text.isEmpty() &&
        (m_size.width() > box.width() - 2 * margin ||
         QFontMetrics(m_font).height() > box.height())) {
        m_font.setPixelSize(FitPixelSize(base, wantedPx, text, box, margin));
        m_glyphs.prepare(QTransform(), m_font);
        m_size = m_glyphs.size();
    }
    // A line of the font is what the toolkit centres in a box, whatever the glyphs reach.
    m_size.setHeight(QFontMetricsF(m_font).height());
}

}  // namespace kerbview::panel::qt
