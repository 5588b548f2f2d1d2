// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <array>
#include <bitset>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/colours.h"
#include "frontends/win32/wic_pictures.h"
#include "panel/element_catalogue.h"
#include "panel/panel_model.h"
#include "panel/view_rules.h"

namespace kerbview::win32 {

/// The desktop's colours the panel is painted with, read now: for the system colour numbers
/// (window text, highlight) and for the lamps, which are push buttons (DrawFrameControl fills
/// the face with COLOR_BTNFACE; a lit lamp's text, a dark lamp's greyed text and its etch).
struct PanelSystemColours {
    COLORREF windowText = ::GetSysColor(COLOR_WINDOWTEXT);
    COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    COLORREF lampFace = ::GetSysColor(COLOR_BTNFACE);
    COLORREF lampText = ::GetSysColor(COLOR_BTNTEXT);
    COLORREF lampDarkText = ::GetSysColor(COLOR_GRAYTEXT);
    COLORREF lampDarkEtch = ::GetSysColor(COLOR_3DHILIGHT);
};

/// The main panel painted with GDI on the main window's client area, showing a PanelModel:
/// every element drawn from the model's state of the moment it is painted, at its place in
/// twips turned into the window's pixels by its DPI, in the catalogue's stacking order, from a
/// back buffer; the pictures beneath lie in a layer drawn once per size. While the model is
/// stale the elements that show readings are drawn faded towards the layer beneath them. Only
/// the places of elements that changed are invalidated, no more often than the window's screen
/// refreshes: a change is painted at once when the last frame is a refresh period old,
/// otherwise when that period has passed, with the latest values.
class PanelPainter {
public:
    /// The model and the decoder must outlive the painter. Elements start at their catalogue
    /// geometry.
    PanelPainter(const panel::PanelModel& model, const WicPictures& pictures);
    ~PanelPainter();
    PanelPainter(const PanelPainter&) = delete;
    PanelPainter& operator=(const PanelPainter&) = delete;

    /// The window painted on, and the timer id its frame timer uses on it.
    void Attach(HWND window, UINT_PTR frameTimerId);
    /// Dots per inch of the window: places and fonts in pixels follow it.
    void SetDpi(UINT dpi);
    UINT Dpi() const { return m_dpi; }

    /// Notes every element change made since the last call and has their places painted now
    /// or at the next frame; returns the number of elements that changed.
    int Sync();
    /// The frame timer fired.
    void OnFrameTimer();

    /// Places an element: left, top, width and height in twips; font size in points for text
    /// fields, lamps and gauges.
    void Place(panel::Element e, double left, double top, double width, double height,
               std::optional<double> fontSize);
    /// Places every element at its catalogue geometry scaled by sx and sy, fonts by sy.
    void PlaceScaled(double sx, double sy);
    void SetPanelColour(core::ColourNumber colour);

    /// Decodes the picture in path for a later Sync of a model picture equal to path; false,
    /// changing nothing, when the file is missing, empty, truncated or not a picture.
    bool DecodePicture(const std::string& path);

    /// WM_PAINT.
    void Paint();
    /// Whether the client point (pixels) lies on the logo Picture1 while it is shown.
    bool OnLogo(POINT at) const;
    /// Paints the whole panel into dc, at the client area's origin (WM_PRINTCLIENT).
    void PrintClient(HDC dc);

    /// Frames painted so far.
    int FramesPainted() const { return m_frames; }
    /// Time between two frames on the window's screen, in milliseconds.
    double FrameIntervalMs() const;
    /// The screens' settings changed: their refresh rates are asked again.
    void ScreenChanged();

private:
    struct Geometry {
        double left = 0, top = 0, width = 0, height = 0;  // twips
        double fontSize = 0;                              // points
    };
    struct Fitted {
        std::tuple<std::string, int, int, int, int, bool> key;  // text, wanted, w, h, margin, fit
        std::wstring text;
        int pixels = 0;
        SIZE size{};  // width of the text and height of a line, pixels
    };
    struct Slot {
        Geometry geometry;
        RECT rect{};  // pixels
        std::optional<Fitted> text;
        std::optional<std::pair<std::tuple<std::string, int, int, int>, int>> ownFit;
        std::shared_ptr<Picture> picture;  // decoded; null for the built-in one
    };
    struct FontKey {
        int face;
        bool bold;
        int pixels;
        auto operator<=>(const FontKey&) const = default;
    };

    RECT PixelRect(const Geometry& g) const;
    void Notice(panel::Element e);
    void TakePicture(panel::Element e);
    void ScheduleFrame();
    void Flush();
    void Invalidate(const RECT& r);
    void EnsureBuffers();
    void PaintLayer();
    void PaintRegion(HRGN region);
    void PaintElement(panel::Element e);
    void PaintTextField(panel::Element e);
    void PaintLamp(panel::Element e);
    void PaintGauge(panel::Element e);
    void PaintLogoElement();
    void DrawPicture(HDC dc, const Picture& picture, const RECT& r);
    bool Faded(panel::Element e) const { return m_stale && panel::ShowsReading(e); }

    HFONT Font(panel::Element e, int pixels);
    SIZE Measure(HFONT font, const std::wstring& text);
    int WantedPixels(panel::Element e) const;
    int Margin(panel::Element e) const;
    int FitPixels(panel::Element e, const std::wstring& text, int wanted, int margin);
    int OwnFit(panel::Element e);
    const Fitted& PreparedText(panel::Element e);
    COLORREF Colour(core::ColourNumber c, bool& drawn) const;

    const panel::PanelModel& m_model;
    const WicPictures& m_pictures;
    HWND m_window = nullptr;
    UINT_PTR m_frameTimerId = 0;
    UINT m_dpi = 96;
    std::array<Slot, panel::kElementCount> m_slots{};
    std::array<int, panel::kElementCount> m_faces{};  // index into the resolved face names
    std::vector<std::wstring> m_faceNames;
    std::vector<bool> m_faceBold;  // a substitute face drawn bold
    std::map<FontKey, HFONT> m_fonts;
    std::map<std::string, std::shared_ptr<Picture>> m_decoded;
    core::ColourNumber m_panelColour = 0;

    // Back buffer and layer, both the size of the client area.
    HDC m_backDc = nullptr;
    HDC m_layerDc = nullptr;
    Dib m_back;
    Dib m_layer;
    HGDIOBJ m_backOld = nullptr;
    HGDIOBJ m_layerOld = nullptr;
    bool m_layerValid = false;

    std::uint64_t m_noticed = 0;
    bool m_stale = false;
    std::bitset<panel::kElementCount> m_dirty;
    bool m_frameTimerArmed = false;
    mutable HMONITOR m_rateMonitor = nullptr;
    mutable double m_frameIntervalMs = 0;
    std::chrono::steady_clock::time_point m_lastFrame{};
    int m_frames = 0;
    // Of the frame being painted.
    std::vector<panel::PixelRect> m_damage;
    std::array<panel::PixelRect, panel::kElementCount> m_framePlaces{};
    panel::FramePlan m_plan;
};

}  // namespace kerbview::win32
