// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/colours.h"
#include "panel/element_catalogue.h"
#include "panel/panel_model.h"

namespace kerbview::panel::qt {

/// The toolkit colour of a colour number (0x00BBGGRR); system colours come from palette.
QColor ToQColor(core::ColourNumber colour, const QPalette& palette);

/// The font for a catalogue font, with a similar installed family when the listed one is
/// missing (the display font Bombardier is replaced by a bold condensed sans).
QFont ResolveFont(const FontInfo& listedFont);

/// Largest pixel size, at most pixelSize, at which text fits in box (one line, with margin
/// pixels free on each side); never below 6 pixels.
int FitPixelSize(const QFont& font, int pixelSize, const QString& text, QSize box, int margin);

/// The main panel: one child widget per element of the catalogue, placed by geometry in twips,
/// showing a PanelModel. Only elements whose revision changed are touched, and no more often
/// than the screen the panel is on refreshes: a change is shown at once when the last frame
/// is a refresh period old, otherwise when that period has passed, with the model's values of
/// that moment.
class PanelView : public QWidget {
    Q_OBJECT

public:
    /// The model must outlive the view. Elements start at their catalogue geometry.
    explicit PanelView(const PanelModel& model, QWidget* parent = nullptr);

    /// Notes every element change made since the last call and shows the changes now or at
    /// the next frame; returns the number of elements that changed (0 when nothing changed, so
    /// nothing repaints).
    int Sync();

    /// Time between two frames, in milliseconds: the refresh period of the panel's screen, of
    /// 60 Hz when the screen does not tell.
    double FrameIntervalMs() const;

    /// Places an element: left, top, width and height in twips; font size in points for text
    /// fields, lamps and gauges (a text that would be clipped gets a smaller font).
    void Place(Element e, double left, double top, double width, double height,
               std::optional<double> fontSize);
    /// Places every element at its catalogue geometry scaled by sx and sy, fonts by sy.
    void PlaceScaled(double sx, double sy);

    /// Background colour of the panel (BackgroundColor).
    void SetPanelColour(core::ColourNumber colour);

    /// Decodes the picture in path for element e. Returns false, changing nothing, when the
    /// file is missing, empty, truncated or not a picture; on success the next Sync of a model
    /// picture equal to path shows it.
    bool DecodePicture(Element e, const std::string& path);

    /// Called on a click on the logo Picture1.
    void SetLogoClicked(std::function<void()> handler) { m_logoClicked = std::move(handler); }

    QWidget* widget(Element e) const { return m_slots[static_cast<std::size_t>(e)].widget; }

private:
    struct Slot {
        QWidget* widget = nullptr;
        QFont font;
        double fontSize = 0;  // points, current scale
        std::uint64_t seen = 0;
    };
    void Show(Element e);
    void FitText(Element e);
    void ScheduleFrame();
    void ShowChanges();

    const PanelModel& m_model;
    std::array<Slot, kElementCount> m_slots{};
    QHash<QString, QPixmap> m_decoded;
    std::uint64_t m_seen = 0;     // model revision shown
    std::uint64_t m_noticed = 0;  // model revision of the last Sync
    QTimer m_frameTimer;
    QElapsedTimer m_clock;
    qint64 m_lastFrameNs = 0;
    std::function<void()> m_logoClicked;
};

}  // namespace kerbview::panel::qt
