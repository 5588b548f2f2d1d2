// SPDX-License-Identifier: MIT
#include "frontends/qt/panel_view.h"

#include <QFontDatabase>
#include <QImageReader>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

#include "frontends/qt/bar_gauge.h"
#include "frontends/qt/panel_pictures.h"
#include "frontends/qt/qt_text.h"
#include "panel/text_fitting.h"

namespace kerbview::qt {
namespace {

// The logo: a decoded picture stretched to the frame, or the built-in one; a click on it
// calls the handler.
class PictureBox : public QWidget {
public:
    explicit PictureBox(QWidget* parent) : QWidget(parent) {}
    void setPixmap(const QPixmap& pixmap) {
        m_pixmap = pixmap;
        update();
    }
    void setClicked(std::function<void()> handler) {
        m_clicked = std::move(handler);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (!m_pixmap.isNull()) {
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawPixmap(rect(), m_pixmap);
        } else {
            PaintLogo(p, QRectF(rect()));
        }
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && m_clicked) {
            m_clicked();
        }
    }

private:
    QPixmap m_pixmap;
    std::function<void()> m_clicked;
};

// The union of rectangles, put together from few pieces: the rectangles of one row (the same
// top and height) that touch or overlap are joined first, and the rows go in from the top, so
// most pieces are appended to the region instead of merged into it.
QRegion UnionOf(std::vector<QRect>& rects) {
    std::sort(rects.begin(), rects.end(), [](const QRect& a, const QRect& b) {
        return std::tuple(a.top(), a.height(), a.left()) <
               std::tuple(b.top(), b.height(), b.left());
    });
    QRegion region;
    QRect row;
    for (const QRect& r : rects) {
        if (row.isValid() && r.top() == row.top() && r.height() == row.height() &&
            r.left() <= row.right() + 1) {
            row.setRight(std::max(row.right(), r.right()));
            continue;
        }
        if (row.isValid()) {
            region += row;
        }
        row = r;
    }
    if (row.isValid()) {
        region += row;
    }
    return region;
}

QRect ToQRect(const panel::PixelRect& r) { return QRect(r.left, r.top, r.width, r.height); }
panel::PixelRect ToPixelRect(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

// Old readings stay legible and keep their colours, but plainly fainter than live ones.
constexpr double kStaleOpacity = 0.4;

}  // namespace

QColor ToQColor(core::ColourNumber c, const QPalette& palette) {
    const panel::DecodedColour d = panel::DecodeColour(c);
    switch (d.kind) {
        case panel::ColourKind::WindowText: return palette.color(QPalette::WindowText);
        case panel::ColourKind::Highlight: return palette.color(QPalette::Highlight);
        case panel::ColourKind::None: return Qt::transparent;
        case panel::ColourKind::Plain: break;
    }
    return QColor(d.red, d.green, d.blue);
}

QFont ResolveFont(const panel::FontInfo& listedFont) {
    const QString listed = QString::fromUtf8(listedFont.family.data(), listedFont.family.size());
    QStringList candidates{listed};
    bool boldFallback = listedFont.bold;
    if (listed == QLatin1String("Bombardier")) {
        candidates << QStringLiteral("DejaVu Sans Condensed") << QStringLiteral("DejaVu Sans");
        boldFallback = true;  // a bold sans comes closest to the display face
    } else if (listed == QLatin1String("Courier New")) {
        candidates << QStringLiteral("DejaVu Sans Mono") << QStringLiteral("Noto Sans Mono");
    } else if (listed == QLatin1String("Comic Sans MS")) {
        candidates << QStringLiteral("URW Gothic") << QStringLiteral("DejaVu Sans");
    } else {
        candidates << QStringLiteral("Liberation Sans") << QStringLiteral("Nimbus Sans")
                   << QStringLiteral("DejaVu Sans");
    }
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : candidates) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            QFont font(family);
            font.setBold(family == listed ? listedFont.bold : boldFallback);
            return font;
        }
    }
    QFont font;  // the platform's default font
    font.setBold(boldFallback);
    return font;
}

PanelView::PanelView(const panel::PanelModel& model, QWidget* parent)
    : QWidget(parent), m_model(model) {
    // Every pixel is painted from the layer and the elements.
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (const panel::ElementInfo& info : panel::ElementCatalogue()) {
        if (!info.font.family.empty()) {
            m_slots[static_cast<std::size_t>(info.element)].font = ResolveFont(info.font);
        }
    }
    auto* logo = new PictureBox(this);
    logo->setObjectName(QStringLiteral("Picture1"));
    logo->setClicked([this] {
        if (m_logoClicked) {
            m_logoClicked();
        }
    });
    m_logo = logo;
    for (panel::Element e :
         {panel::Element::Image2, panel::Element::Image1, panel::Element::Picture1}) {
        TakePicture(e);
    }
    m_frameTimer.setSingleShot(true);
    connect(&m_frameTimer, &QTimer::timeout, this, [this] { Flush(); });
    m_clock.start();
    m_lastFrameNs = -std::numeric_limits<qint64>::max() / 2;
    PlaceScaled(1.0, 1.0);
    m_noticed = m_model.Revision();
    m_dirty.reset();  // the first frame paints everything
}

int PanelView::Sync() {
    if (m_model.Revision() == m_noticed) {
        return 0;
    }
    const std::bitset<panel::kElementCount> redraw =
        panel::ElementsToRedraw(m_model, m_noticed, m_stale);
    m_stale = m_model.Stale();
    for (std::size_t i = 0; i < panel::kElementCount; ++i) {
        if (redraw.test(i)) Notice(static_cast<panel::Element>(i));
    }
    const int changed = static_cast<int>(redraw.count());
    m_noticed = m_model.Revision();
    if (m_dirty.any()) {
        ScheduleFrame();
    }
    return changed;
}

void PanelView::Notice(panel::Element e) {
    switch (panel::Info(e).kind) {
        case panel::ElementKind::Picture: TakePicture(e); break;
        case panel::ElementKind::List: break;  // never shown
        default: m_dirty.set(static_cast<std::size_t>(e)); break;
    }
}

void PanelView::TakePicture(panel::Element e) {
    const panel::ElementState& s = m_model[e];
    Slot& slot = m_slots[static_cast<std::size_t>(e)];
    const QString path = QString::fromStdString(s.picture);
    if (path.isEmpty()) {
        slot.picture = QPixmap();
    } else if (auto it = m_decoded.constFind(path); it != m_decoded.constEnd()) {
        slot.picture = *it;
    } else if (QPixmap pixmap; pixmap.load(path) && !pixmap.isNull()) {
        slot.picture = pixmap;
    }  // a picture that does not decode leaves the previous one
    if (e == panel::Element::Picture1) {
        static_cast<PictureBox*>(m_logo)->setPixmap(slot.picture);
        m_logo->setVisible(s.visible);
    } else {
        m_layerValid = false;
        m_dirty.set(static_cast<std::size_t>(e));
    }
}

double PanelView::FrameIntervalMs() const {
    const QScreen* on = screen();
    return panel::FrameIntervalMs(on != nullptr ? on->refreshRate() : 0.0);
}

void PanelView::ScheduleFrame() {
    if (m_frameTimer.isActive()) {
        return;  // the frame that is due paints this change too
    }
    const int wait = panel::FrameWaitMs(
        FrameIntervalMs(), static_cast<double>(m_clock.nsecsElapsed() - m_lastFrameNs) / 1e6);
    if (wait == 0) {
        Flush();
    } else {
        m_frameTimer.start(wait);
    }
}

void PanelView::Flush() {
    m_places.clear();
    for (std::size_t i = 0; i < panel::kElementCount; ++i) {
        if (m_dirty.test(i)) {
            m_places.push_back(m_slots[i].rect);
        }
    }
    m_dirty.reset();
    update(UnionOf(m_places));
}

int PanelView::WantedPixels(panel::Element e) const {
    return panel::PointsToPixels(m_slots[static_cast<std::size_t>(e)].fontSize);
}

int PanelView::Margin(panel::Element e) const { return panel::TextMargin(e, WantedPixels(e)); }

int PanelView::OwnFit(panel::Element e) {
    Slot& slot = m_slots[static_cast<std::size_t>(e)];
    auto key = std::tuple(m_model[e].text, WantedPixels(e), slot.rect.size(), slot.font);
    if (!slot.ownFit || slot.ownFit->first != key) {
        const int px = FitPixelSize(slot.font, WantedPixels(e), FromCp1252(m_model[e].text),
                                    slot.rect.size(), Margin(e));
        slot.ownFit.emplace(std::move(key), px);
    }
    return slot.ownFit->second;
}

const ElementText& PanelView::PreparedText(panel::Element e) {
    Slot& slot = m_slots[static_cast<std::size_t>(e)];
    const panel::ElementKind kind = panel::Info(e).kind;
    int wanted = WantedPixels(e);
    bool fit = kind == panel::ElementKind::TextField || kind == panel::ElementKind::Lamp;
    // Captions of one kind are drawn at one size: the largest at which all of them fit.
    if (const std::span<const panel::Element> group = panel::SameSizeGroup(e); !group.empty()) {
        for (const panel::Element member : group) {
            wanted = std::min(wanted, OwnFit(member));
        }
        fit = false;
    }
    slot.text.Prepare(m_model[e].text, slot.font, wanted, slot.rect.size(), Margin(e), fit,
                      &m_steps);
    return slot.text;
}

QFont PanelView::ElementFont(panel::Element e) { return PreparedText(e).Font(); }

void PanelView::Place(panel::Element e, double left, double top, double width, double height,
                      std::optional<double> fontSize) {
    Slot& slot = m_slots[static_cast<std::size_t>(e)];
    const auto px = [](double twips) { return panel::TwipsToPixels(twips); };
    const QRect before = slot.rect;
    slot.rect = QRect(px(left), px(top), std::max(1, px(width)), std::max(1, px(height)));
    if (fontSize) {
        slot.fontSize = *fontSize;
    }
    if (e == panel::Element::Picture1) {
        m_logo->setGeometry(slot.rect);
    } else if (panel::Info(e).kind == panel::ElementKind::Picture) {
        m_layerValid = false;
    }
    update(before.united(slot.rect));
}

void PanelView::PlaceScaled(double sx, double sy) {
    for (const panel::ElementInfo& info : panel::ElementCatalogue()) {
        std::optional<double> font;
        if (info.kind == panel::ElementKind::TextField || info.kind == panel::ElementKind::Lamp ||
            info.kind == panel::ElementKind::BarGauge) {
            font = info.font.pointSize * sy;
        }
        Place(info.element, info.left * sx, info.top * sy, info.width * sx, info.height * sy, font);
    }
}

void PanelView::SetPanelColour(core::ColourNumber colour) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(colour, pal));
    setPalette(pal);
    m_layerValid = false;
    update();
}

bool PanelView::DecodePicture(panel::Element, const std::string& path) {
    const QString file = QString::fromStdString(path);
    QImageReader reader(file);
    const QImage image = reader.read();
    if (image.isNull()) {
        return false;
    }
    m_decoded.insert(file, QPixmap::fromImage(image));
    return true;
}

// The panel's colour and the pictures beneath every element: drawn once per size and picture.
void PanelView::PaintLayer() {
    const qreal ratio = devicePixelRatioF();
    m_layer = QPixmap(size() * ratio);
    m_layer.setDevicePixelRatio(ratio);
    m_layer.fill(palette().color(QPalette::Window));
    QPainter p(&m_layer);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (panel::Element e : {panel::Element::Image2, panel::Element::Image1}) {
        const Slot& slot = m_slots[static_cast<std::size_t>(e)];
        if (!m_model[e].visible) {
            continue;
        }
        if (!slot.picture.isNull()) {
            p.drawPixmap(slot.rect, slot.picture);
        } else if (e == panel::Element::Image1) {
            PaintCarTopView(p, QRectF(slot.rect));
        }
    }
    m_layerValid = true;
}

void PanelView::paintEvent(QPaintEvent* event) {
    m_lastFrameNs = m_clock.nsecsElapsed();
    ++m_frames;
    const QRegion& region = event->region();
    m_lastFrameRegion = region;
    const qreal ratio = devicePixelRatioF();
    if (!m_layerValid || m_layer.size() != size() * ratio) {
        PaintLayer();
    }
    // The elements to paint by the stacking rule (panel::PlanFrame); the layer is painted only
    // where none of the opaque ones among them lies. The logo is a widget above it all.
    m_damage.clear();
    for (const QRect& r : region) m_damage.push_back(ToPixelRect(r));
    for (std::size_t i = 0; i < panel::kElementCount; ++i) {
        m_framePlaces[i] = ToPixelRect(m_slots[i].rect);
    }
    panel::PlanFrame(m_model, m_framePlaces, m_damage, m_plan);
    const std::vector<panel::Element>& toPaint = m_plan.toPaint;
    m_coveredBy.clear();
    for (const panel::PixelRect& r : m_plan.covered) m_coveredBy.push_back(ToQRect(r));
    QPainter p(this);
    for (const QRect& r : region - UnionOf(m_coveredBy)) {
        p.drawPixmap(r, m_layer,
                     QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio));
    }
    // Old readings fade towards what lies beneath them: the layer once more over their places,
    // partly transparent, one veil for all of them so that neighbours that meet by a pixel
    // fade alike. The elements that show no reading (status texts, captions, which lie above
    // the readings they meet) are drawn after the veil and stay whole.
    for (auto it = toPaint.rbegin(); it != toPaint.rend(); ++it) {
        if (!m_stale || Faded(*it)) {
            PaintElement(p, *it, region);
        }
    }
    if (!m_stale) {
        return;
    }
    QRegion veil;
    for (const panel::Element e : toPaint) {
        if (Faded(e)) {
            veil += m_slots[static_cast<std::size_t>(e)].rect;
        }
    }
    veil &= region;
    p.setOpacity(1.0 - kStaleOpacity);
    for (const QRect& r : veil) {
        p.drawPixmap(r, m_layer,
                     QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio));
    }
    p.setOpacity(1.0);
    for (auto it = toPaint.rbegin(); it != toPaint.rend(); ++it) {
        if (!Faded(*it)) {
            PaintElement(p, *it, region);
        }
    }
}

void PanelView::PaintElement(QPainter& p, panel::Element e, const QRegion& region) {
    switch (panel::Info(e).kind) {
        case panel::ElementKind::TextField: PaintTextField(p, e, region); break;
        case panel::ElementKind::Lamp: PaintLamp(p, e); break;
        case panel::ElementKind::BarGauge: PaintGauge(p, e); break;
        case panel::ElementKind::WheelMarker:
            p.fillRect(m_slots[static_cast<std::size_t>(e)].rect,
                       ToQColor(panel::Info(e).backColor, palette()));
            break;
        case panel::ElementKind::Picture:
        case panel::ElementKind::List: break;
    }
}

void PanelView::PaintTextField(QPainter& p, panel::Element e, const QRegion& region) {
    const panel::ElementInfo& info = panel::Info(e);
    const QRect& r = m_slots[static_cast<std::size_t>(e)].rect;
    const QColor back = ToQColor(m_model[e].backColor, palette());
    if (back.alpha() != 0) {
        p.fillRect(r, back);
    }
    const ElementText& text = PreparedText(e);
    if (text.Text().isEmpty()) {
        return;
    }
    const QSizeF size = text.Size();
    const double x = panel::TextAlignment(e) == panel::TextAlign::Left
                         ? r.left()
                         : r.left() + (r.width() - size.width()) / 2;
    const QPointF at(x, r.top() + (r.height() - size.height()) / 2);
    // A neighbour's change that reaches only the edge of this field leaves its text alone.
    if (!region.intersects(QRectF(at, size).toAlignedRect())) {
        return;
    }
    const bool spills = size.width() > r.width() || size.height() > r.height();
    if (spills) {
        p.save();
        p.setClipRect(r, Qt::IntersectClip);
    }
    p.setPen(ToQColor(info.textColor, palette()));
    text.Draw(p, at);
    if (spills) {
        p.restore();
    }
}

// A lamp has the look of a push button of the style in use: lit when enabled, greyed when not.
void PanelView::PaintLamp(QPainter& p, panel::Element e) {
    const ElementText& text = PreparedText(e);
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = m_slots[static_cast<std::size_t>(e)].rect;
    option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver | QStyle::State_Sunken);
    option.state |= QStyle::State_Raised;
    if (!m_model[e].enabled) {
        option.state &= ~QStyle::State_Enabled;
        option.palette.setCurrentColorGroup(QPalette::Disabled);
    }
    option.text = text.Text();
    option.fontMetrics = QFontMetrics(text.Font());
    p.save();
    p.setFont(text.Font());
    style()->drawControl(QStyle::CE_PushButton, &option, &p, this);
    p.restore();
}

void PanelView::PaintGauge(QPainter& p, panel::Element e) {
    const panel::ElementInfo& info = panel::Info(e);
    const panel::ElementState& s = m_model[e];
    const ElementText& text = PreparedText(e);
    GaugeLook look;
    look.orientation =
        info.orientation == panel::Orientation::Vertical ? Qt::Vertical : Qt::Horizontal;
    look.minvalue = s.minvalue;
    look.maxvalue = s.maxvalue;
    look.value = s.value;
    look.backcolor = look.textbkcolor = ToQColor(s.backColor, palette());
    look.forecolor = ToQColor(info.foreColor, palette());
    look.textcolor = ToQColor(info.textColor, palette());
    const auto draw = [&](const QPointF& at) { text.Draw(p, at); };
    PaintBarGauge(p, QRectF(m_slots[static_cast<std::size_t>(e)].rect), look, text.Size().width(),
                  text.Font(),
                  text.Text().isEmpty() ? std::function<void(const QPointF&)>() : draw);
}

}  // namespace kerbview::qt
