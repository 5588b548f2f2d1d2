// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/colours.h"
#include "frontends/qt/element_text.h"
#include "frontends/qt/figure_steps.h"
#include "panel/element_catalogue.h"
#include "panel/panel_model.h"
#include "panel/view_rules.h"

namespace kerbview::qt {

/// The toolkit colour of a colour number (0x00BBGGRR); system colours come from palette.
QColor ToQColor(core::ColourNumber colour, const QPalette& palette);

/// The font for a catalogue font, with a similar installed family when the listed one is
/// missing (the display font Bombardier is replaced by a bold condensed sans).
QFont ResolveFont(const panel::FontInfo& listedFont);

/// The main panel, one painted surface showing a PanelModel: every element is drawn from the
/// model's state of the moment it is painted, at its place in twips, in the catalogue's
/// stacking order; the pictures beneath lie in a layer drawn once per size. While the model is
/// stale the elements that show readings are drawn faded towards the pictures and colour
/// beneath them, in their own colours. Only the places of
/// elements that changed are painted again, and no more often than the screen the panel is on
/// refreshes: a change is painted at once when the last frame is a refresh period old,
/// otherwise when that period has passed, with the latest values.
class PanelView : public QWidget {
    Q_OBJECT

public:
    /// The model must outlive the view. Elements start at their catalogue geometry.
    explicit PanelView(const panel::PanelModel& model, QWidget* parent = nullptr);

    /// Notes every element change made since the last call and has their places painted now
    /// or at the next frame; returns the number of elements that changed (0 when nothing
    /// changed, so nothing is painted).
    int Sync();

    /// Places an element: left, top, width and height in twips; font size in points for text
    /// fields, lamps and gauges (a text that would not fit gets a smaller font).
    void Place(panel::Element e, double left, double top, double width, double height,
               std::optional<double> fontSize);
    /// Places every element at its catalogue geometry scaled by sx and sy, fonts by sy.
    void PlaceScaled(double sx, double sy);

    /// Background colour of the panel (BackgroundColor).
    void SetPanelColour(core::ColourNumber colour);

    /// Decodes the picture in path for element e. Returns false, changing nothing, when the
    /// file is missing, empty, truncated or not a picture; on success the next Sync of a model
    /// picture equal to path shows it.
    bool DecodePicture(panel::Element e, const std::string& path);

    /// Called on a click on the logo Picture1.
    void SetLogoClicked(std::function<void()> handler) { m_logoClicked = std::move(handler); }

    /// Time between two frames, in milliseconds: the refresh period of the panel's screen, of
    /// 60 Hz when the screen does not tell.
    double FrameIntervalMs() const;

    /// Where element e is drawn, in pixels of the panel.
    QRect ElementRect(panel::Element e) const { return m_slots[static_cast<std::size_t>(e)].rect; }
    /// The font e's present text is drawn with, fitted to its place.
    QFont ElementFont(panel::Element e);
    /// Frames painted so far, and the places the last one painted.
    int FramesPainted() const { return m_frames; }
    const QRegion& LastFrameRegion() const { return m_lastFrameRegion; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Slot {
        QRect rect;  // pixels
        QFont font;
        double fontSize = 0;  // points, current scale
        std::uint64_t seen = 0;
        ElementText text;
        // The size the text fits its place at by itself, with what it was measured for.
        std::optional<std::pair<std::tuple<std::string, int, QSize, QFont>, int>> ownFit;
        QPixmap picture;  // a decoded picture shown by a picture element; null for built-in
    };
    void Notice(panel::Element e);
    void TakePicture(panel::Element e);
    void ScheduleFrame();
    void Flush();
    const ElementText& PreparedText(panel::Element e);
    int WantedPixels(panel::Element e) const;
    int Margin(panel::Element e) const;
    int OwnFit(panel::Element e);
    bool Faded(panel::Element e) const { return m_stale && panel::ShowsReading(e); }
    void PaintLayer();
    void PaintElement(QPainter& p, panel::Element e, const QRegion& region);
    void PaintTextField(QPainter& p, panel::Element e, const QRegion& region);
    void PaintLamp(QPainter& p, panel::Element e);
    void PaintGauge(QPainter& p, panel::Element e);

    const panel::PanelModel& m_model;
    std::array<Slot, panel::kElementCount> m_slots{};
    QHash<QString, QPixmap> m_decoded;
    FigureStepsCache m_steps;
    QWidget* m_logo = nullptr;  // Picture1: a widget of its own for its click and cursor
    std::function<void()> m_logoClicked;

    // The pictures beneath the elements and the panel's colour, drawn once per size.
    QPixmap m_layer;
    bool m_layerValid = false;

    std::uint64_t m_noticed = 0;                // model revision of the last Sync
    bool m_stale = false;                       // the model's Stale flag as of the last Sync
    std::bitset<panel::kElementCount> m_dirty;  // changed since the last frame was asked for
    QTimer m_frameTimer;
    QElapsedTimer m_clock;
    qint64 m_lastFrameNs = 0;
    int m_frames = 0;
    QRegion m_lastFrameRegion;
    // Of the frame being painted: the region and the elements' places in the rule's terms, what
    // it paints, and the places of the opaque elements among them.
    std::vector<panel::PixelRect> m_damage;
    std::array<panel::PixelRect, panel::kElementCount> m_framePlaces{};
    panel::FramePlan m_plan;
    std::vector<QRect> m_coveredBy;
    std::vector<QRect> m_places;  // of the elements a frame is asked for
};

}  // namespace kerbview::qt
