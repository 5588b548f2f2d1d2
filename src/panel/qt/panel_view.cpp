// SPDX-License-Identifier: MIT
#include "panel/qt/panel_view.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <cmath>
#include <limits>

#include "core/text_encoding.h"
#include "panel/qt/bar_gauge.h"
#include "panel/qt/panel_pictures.h"

namespace kerbview::panel::qt {
namespace {

QString ToQString(const std::string& cp1252) {
    return QString::fromUtf8(core::Cp1252ToUtf8(cp1252));
}

// A picture element: a decoded picture stretched to the frame, or the built-in one.
class PictureBox : public QWidget {
public:
    enum class Builtin { None, Car, Logo };
    PictureBox(Builtin builtin, QWidget* parent) : QWidget(parent), m_builtin(builtin) {}
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
        } else if (m_builtin != Builtin::None) {
            // Drawn once per size: the markers over the car repaint the picture beneath them
            // whenever they change, and its curves cost far more than copying pixels.
            const qreal ratio = devicePixelRatioF();
            if (m_drawn.isNull() || m_drawnSize != size() || m_drawn.devicePixelRatio() != ratio) {
                m_drawn = QPixmap(size() * ratio);
                m_drawn.setDevicePixelRatio(ratio);
                m_drawn.fill(Qt::transparent);
                QPainter drawing(&m_drawn);
                const QRect frame(QPoint(0, 0), size());
                if (m_builtin == Builtin::Car) {
                    PaintCarTopView(drawing, frame);
                } else {
                    PaintLogo(drawing, frame);
                }
                m_drawnSize = size();
            }
            p.drawPixmap(0, 0, m_drawn);
        }
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && m_clicked) {
            m_clicked();
        }
    }

private:
    Builtin m_builtin;
    QPixmap m_pixmap;
    QPixmap m_drawn;
    QSize m_drawnSize;
    std::function<void()> m_clicked;
};

// A filled rectangle: the wheel markers.
QWidget* MakeMarker(const ElementInfo& info, QWidget* parent) {
    auto* w = new QWidget(parent);
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, ToQColor(info.backColor, pal));
    w->setPalette(pal);
    return w;
}

constexpr double kPixelsPerPoint = 96.0 / 72.0;

}  // namespace

QColor ToQColor(core::ColourNumber c, const QPalette& palette) {
    if (c == kSystemWindowText) {
        return palette.color(QPalette::WindowText);
    }
    if (c == kSystemHighlight) {
        return palette.color(QPalette::Highlight);
    }
    if (!IsPlainColour(c)) {
        return Qt::transparent;
    }
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

QFont ResolveFont(const FontInfo& listedFont) {
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

PanelView::PanelView(const PanelModel& model, QWidget* parent) : QWidget(parent), m_model(model) {
    setAutoFillBackground(true);
    // Creation order is stacking order: pictures lie beneath, markers above the car.
    for (const CollectionEntry& entry : ElementCollection()) {
        if (entry.type != CollectionEntry::Type::PanelElement) {
            continue;
        }
        const ElementInfo& info = Info(entry.element);
        Slot& slot = m_slots[static_cast<std::size_t>(info.element)];
        QWidget* w = nullptr;
        switch (info.kind) {
            case ElementKind::TextField: {
                auto* label = new QLabel(this);
                label->setAlignment(info.backColor == kNoFill ? Qt::AlignLeft | Qt::AlignVCenter
                                                              : Qt::AlignCenter);
                label->setAutoFillBackground(info.backColor != kNoFill);
                QPalette pal = label->palette();
                pal.setColor(QPalette::WindowText, ToQColor(info.textColor, pal));
                label->setPalette(pal);
                w = label;
                break;
            }
            case ElementKind::Lamp: {
                auto* lamp = new QPushButton(this);
                lamp->setFocusPolicy(Qt::NoFocus);
                w = lamp;
                break;
            }
            case ElementKind::BarGauge: {
                auto* gauge = new BarGauge(
                    info.orientation == Orientation::Vertical ? Qt::Vertical : Qt::Horizontal,
                    this);
                gauge->setForecolor(ToQColor(info.foreColor, gauge->palette()));
                gauge->setTextcolor(ToQColor(info.textColor, gauge->palette()));
                w = gauge;
                break;
            }
            case ElementKind::WheelMarker: w = MakeMarker(info, this); break;
            case ElementKind::Picture: {
                auto builtin = info.element == Element::Image1     ? PictureBox::Builtin::Car
                               : info.element == Element::Picture1 ? PictureBox::Builtin::Logo
                                                                   : PictureBox::Builtin::None;
                auto* box = new PictureBox(builtin, this);
                if (info.element == Element::Picture1) {
                    box->setClicked([this] {
                        if (m_logoClicked) {
                            m_logoClicked();
                        }
                    });
                }
                w = box;
                break;
            }
            case ElementKind::List: w = new QListWidget(this); break;
        }
        w->setObjectName(QString::fromLatin1(info.name.data(), info.name.size()));
        slot.widget = w;
        if (!info.font.family.empty()) {
            slot.font = ResolveFont(info.font);
        }
        Show(info.element);
    }
    PlaceScaled(1.0, 1.0);
    m_seen = m_noticed = m_model.revision();
    m_frameTimer.setSingleShot(true);
    connect(&m_frameTimer, &QTimer::timeout, this, [this] { ShowChanges(); });
    m_clock.start();
    m_lastFrameNs = -std::numeric_limits<qint64>::max() / 2;
}

int PanelView::Sync() {
    if (m_model.revision() == m_noticed) {
        return 0;
    }
    int changed = 0;
    for (std::size_t i = 0; i < kElementCount; ++i) {
        changed += m_model[static_cast<Element>(i)].revision > m_noticed ? 1 : 0;
    }
    m_noticed = m_model.revision();
    ScheduleFrame();
    return changed;
}

double PanelView::FrameIntervalMs() const {
    const QScreen* on = screen();
    const double hz = on != nullptr ? on->refreshRate() : 0.0;
    return 1000.0 / (hz >= 1.0 ? hz : 60.0);
}

void PanelView::ScheduleFrame() {
    if (m_frameTimer.isActive()) {
        return;  // the frame that is due shows this change too
    }
    const double wait =
        FrameIntervalMs() - static_cast<double>(m_clock.nsecsElapsed() - m_lastFrameNs) / 1e6;
    if (wait <= 0) {
        ShowChanges();
    } else {
        m_frameTimer.start(static_cast<int>(std::ceil(wait)));
    }
}

void PanelView::ShowChanges() {
    m_lastFrameNs = m_clock.nsecsElapsed();
    for (std::size_t i = 0; i < kElementCount; ++i) {
        const auto e = static_cast<Element>(i);
        if (m_model[e].revision > m_slots[i].seen) {
            Show(e);
        }
    }
    m_seen = m_model.revision();
}

void PanelView::Show(Element e) {
    const ElementInfo& info = Info(e);
    const ElementState& s = m_model[e];
    Slot& slot = m_slots[static_cast<std::size_t>(e)];
    slot.seen = s.revision;
    QWidget* w = slot.widget;
    switch (info.kind) {
        case ElementKind::TextField: {
            auto* label = static_cast<QLabel*>(w);
            const QString text = ToQString(s.text);
            if (label->text() != text) {
                label->setText(text);
                FitText(e);
            }
            if (info.backColor != kNoFill || s.backColor != kNoFill) {
                QPalette pal = label->palette();
                const QColor back = ToQColor(s.backColor, pal);
                label->setAutoFillBackground(back.alpha() != 0);
                pal.setColor(QPalette::Window, back);
                label->setPalette(pal);
            }
            break;
        }
        case ElementKind::Lamp: {
            auto* lamp = static_cast<QPushButton*>(w);
            const QString text = ToQString(s.text);
            if (lamp->text() != text) {
                lamp->setText(text);
                FitText(e);
            }
            break;
        }
        case ElementKind::BarGauge: {
            auto* gauge = static_cast<BarGauge*>(w);
            gauge->setMinvalue(s.minvalue);
            gauge->setMaxvalue(s.maxvalue);
            gauge->setValue(s.value);
            gauge->setText(ToQString(s.text));
            const QColor back = ToQColor(s.backColor, gauge->palette());
            gauge->setBackcolor(back);
            gauge->setTextbkcolor(back);
            break;
        }
        case ElementKind::Picture: {
            auto* box = static_cast<PictureBox*>(w);
            const QString path = QString::fromStdString(s.picture);
            if (path.isEmpty()) {
                box->setPixmap(QPixmap());
            } else if (auto it = m_decoded.constFind(path); it != m_decoded.constEnd()) {
                box->setPixmap(*it);
            } else if (QPixmap pixmap; pixmap.load(path) && !pixmap.isNull()) {
                box->setPixmap(pixmap);
            }  // a picture that does not decode leaves the previous one
            break;
        }
        case ElementKind::WheelMarker:
        case ElementKind::List: break;
    }
    w->setEnabled(s.enabled);
    // List1 is never used; it stays hidden so a widened window does not uncover it.
    w->setVisible(s.visible && info.kind != ElementKind::List);
}

void PanelView::FitText(Element e) {
    const Slot& slot = m_slots[static_cast<std::size_t>(e)];
    if (slot.fontSize <= 0) {
        return;
    }
    const int wanted = static_cast<int>(std::lround(slot.fontSize * kPixelsPerPoint));
    QFont font = slot.font;
    const ElementKind kind = Info(e).kind;
    if (kind == ElementKind::TextField || kind == ElementKind::Lamp) {
        const QString text = kind == ElementKind::Lamp
                                 ? static_cast<QPushButton*>(slot.widget)->text()
                                 : static_cast<QLabel*>(slot.widget)->text();
        const int margin = kind == ElementKind::Lamp ? 4 : 1;
        font.setPixelSize(FitPixelSize(font, wanted, text, slot.widget->size(), margin));
    } else {
        font.setPixelSize(std::max(6, wanted));
    }
    slot.widget->setFont(font);
}

void PanelView::Place(Element e, double left, double top, double width, double height,
                      std::optional<double> fontSize) {
    Slot& slot = m_slots[static_cast<std::size_t>(e)];
    const auto px = [](double twips) {
        return static_cast<int>(std::lround(twips / kTwipsPerPixel));
    };
    slot.widget->setGeometry(px(left), px(top), std::max(1, px(width)), std::max(1, px(height)));
    if (fontSize) {
        slot.fontSize = *fontSize;
        FitText(e);
    }
}

void PanelView::PlaceScaled(double sx, double sy) {
    for (const ElementInfo& info : ElementCatalogue()) {
        std::optional<double> font;
        if (info.kind == ElementKind::TextField || info.kind == ElementKind::Lamp ||
            info.kind == ElementKind::BarGauge) {
            font = info.font.pointSize * sy;
        }
        Place(info.element, info.left * sx, info.top * sy, info.width * sx, info.height * sy, font);
    }
}

void PanelView::SetPanelColour(core::ColourNumber colour) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(colour, pal));
    setPalette(pal);
}

bool PanelView::DecodePicture(Element, const std::string& path) {
    const QString file = QString::fromStdString(path);
    QImageReader reader(file);
    const QImage image = reader.read();
    if (image.isNull()) {
        return false;
    }
    m_decoded.insert(file, QPixmap::fromImage(image));
    return true;
}

}  // namespace kerbview::panel::qt
