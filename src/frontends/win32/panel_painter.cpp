// SPDX-License-Identifier: MIT
#include "frontends/win32/panel_painter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

#include "frontends/win32/builtin_pictures.h"
#include "frontends/win32/wide_text.h"
#include "panel/text_fitting.h"

namespace kerbview::win32 {
namespace {

using Clock = std::chrono::steady_clock;

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool Installed(const std::wstring& face) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    face.copy(query.lfFaceName, LF_FACESIZE - 1);
    bool found = false;
    const HDC dc = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(dc, &query, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, dc);
    return found;
}

// The face for a catalogue font, with a similar installed one when the listed one is missing
// (the display font Bombardier is replaced by a bold condensed sans); whether it is drawn bold.
std::pair<std::wstring, bool> ResolveFace(const panel::FontInfo& listed) {
    const std::wstring name(listed.family.begin(), listed.family.end());
    std::vector<std::wstring> candidates{name};
    bool boldFallback = listed.bold;
    if (listed.family == "Bombardier") {
        candidates.insert(candidates.end(), {L"Arial Narrow", L"DejaVu Sans Condensed",
                                             L"Liberation Sans Narrow", L"Tahoma"});
        boldFallback = true;  // a bold sans comes closest to the display face
    } else if (listed.family == "Courier New") {
        candidates.insert(candidates.end(), {L"DejaVu Sans Mono", L"Liberation Mono"});
    } else {
        candidates.insert(candidates.end(), {L"Liberation Sans", L"DejaVu Sans", L"Tahoma"});
    }
    for (const std::wstring& face : candidates) {
        if (Installed(face)) return {face, face == name ? listed.bold : boldFallback};
    }
    return {L"Tahoma", boldFallback};
}

// Old readings stay legible and keep their colours, but plainly fainter than live ones.
constexpr double kStaleOpacity = 0.4;

void Fill(HDC dc, const RECT& r, COLORREF colour) {
    ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

// Draws text with the top left of its line at x, y, clipped to clip.
void Text(HDC dc, int x, int y, const RECT& clip, const std::wstring& text, COLORREF colour) {
    ::SetTextColor(dc, colour);
    ::ExtTextOutW(dc, x, y, ETO_CLIPPED, &clip, text.data(), static_cast<UINT>(text.size()),
                  nullptr);
}

}  // namespace

PanelPainter::PanelPainter(const panel::PanelModel& model, const WicPictures& pictures)
    : m_model(model), m_pictures(pictures) {
    for (const panel::ElementInfo& info : panel::ElementCatalogue()) {
        if (info.font.family.empty()) continue;
        const auto [face, bold] = ResolveFace(info.font);
        std::size_t i = 0;
        while (i < m_faceNames.size() && !(m_faceNames[i] == face && m_faceBold[i] == bold)) ++i;
        if (i == m_faceNames.size()) {
            m_faceNames.push_back(face);
            m_faceBold.push_back(bold);
        }
        m_faces[static_cast<std::size_t>(info.element)] = static_cast<int>(i);
    }
    const HDC screen = ::GetDC(nullptr);
    m_backDc = ::CreateCompatibleDC(screen);
    m_layerDc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    ::SetBkMode(m_backDc, TRANSPARENT);
    for (panel::Element e :
         {panel::Element::Image2, panel::Element::Image1, panel::Element::Picture1}) {
        TakePicture(e);
    }
    m_lastFrame = Clock::now() - std::chrono::hours(1);
    PlaceScaled(1.0, 1.0);
    m_noticed = m_model.Revision();
    m_dirty.reset();  // the first frame paints everything
}

PanelPainter::~PanelPainter() {
    if (m_backOld != nullptr) ::SelectObject(m_backDc, m_backOld);
    if (m_layerOld != nullptr) ::SelectObject(m_layerDc, m_layerOld);
    ::DeleteDC(m_backDc);
    ::DeleteDC(m_layerDc);
    for (auto& [key, font] : m_fonts) ::DeleteObject(font);
}

void PanelPainter::Attach(HWND window, UINT_PTR frameTimerId) {
    m_window = window;
    m_frameTimerId = frameTimerId;
}

void PanelPainter::SetDpi(UINT dpi) {
    if (dpi == 0 || dpi == m_dpi) return;
    m_dpi = dpi;
    for (auto& [key, font] : m_fonts) ::DeleteObject(font);
    m_fonts.clear();
    for (Slot& slot : m_slots) slot.rect = PixelRect(slot.geometry);
    m_layerValid = false;
    if (m_window != nullptr) ::InvalidateRect(m_window, nullptr, FALSE);
}

RECT PanelPainter::PixelRect(const Geometry& g) const {
    const double tpp = 1440.0 / m_dpi;
    const auto px = [tpp](double twips) { return static_cast<LONG>(std::lround(twips / tpp)); };
    const LONG left = px(g.left);
    const LONG top = px(g.top);
    return {left, top, left + std::max<LONG>(1, px(g.width)),
            top + std::max<LONG>(1, px(g.height))};
}

int PanelPainter::Sync() {
    if (m_model.Revision() == m_noticed) return 0;
    const std::bitset<panel::kElementCount> redraw =
        panel::ElementsToRedraw(m_model, m_noticed, m_stale);
    m_stale = m_model.Stale();
    for (std::size_t i = 0; i < panel::kElementCount; ++i) {
        if (redraw.test(i)) Notice(static_cast<panel::Element>(i));
    }
    const int changed = static_cast<int>(redraw.count());
    m_noticed = m_model.Revision();
    if (m_dirty.any()) ScheduleFrame();
    return changed;
}

void PanelPainter::Notice(panel::Element e) {
    switch (panel::Info(e).kind) {
        case panel::ElementKind::Picture: TakePicture(e); break;
        case panel::ElementKind::List: break;  // never shown
        default: m_dirty.set(static_cast<std::size_t>(e)); break;
    }
}

void PanelPainter::TakePicture(panel::Element e) {
    Slot& slot = m_slots[static_cast<std::size_t>(e)];
    const std::string& path = m_model[e].picture;
    if (path.empty()) {
        slot.picture.reset();
    } else if (auto it = m_decoded.find(path); it != m_decoded.end()) {
        slot.picture = it->second;
    } else if (auto picture = m_pictures.Decode(std::filesystem::path(WideFromUtf8(path)))) {
        slot.picture = std::move(picture);
    }  // a picture that does not decode leaves the previous one
    if (e != panel::Element::Picture1) m_layerValid = false;
    m_dirty.set(static_cast<std::size_t>(e));
}

bool PanelPainter::DecodePicture(const std::string& path) {
    auto picture = m_pictures.Decode(std::filesystem::path(WideFromUtf8(path)));
    if (!picture) return false;
    m_decoded[path] = std::move(picture);
    return true;
}

double PanelPainter::FrameIntervalMs() const {
    // The refresh rate is asked again only when the window is on another screen.
    const HMONITOR monitor = ::MonitorFromWindow(m_window, MONITOR_DEFAULTTONEAREST);
    if (monitor == m_rateMonitor && m_frameIntervalMs > 0) return m_frameIntervalMs;
    double hz = 0;
    MONITORINFOEXW info{};
    info.cbSize = sizeof(info);
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    if (monitor != nullptr && ::GetMonitorInfoW(monitor, &info) &&
        ::EnumDisplaySettingsW(info.szDevice, ENUM_CURRENT_SETTINGS, &mode) &&
        mode.dmDisplayFrequency > 1) {  // 0 and 1 stand for the hardware's default
        hz = mode.dmDisplayFrequency;
    }
    m_rateMonitor = monitor;
    m_frameIntervalMs = panel::FrameIntervalMs(hz);
    return m_frameIntervalMs;
}

void PanelPainter::ScreenChanged() { m_frameIntervalMs = 0; }

void PanelPainter::ScheduleFrame() {
    if (m_frameTimerArmed || m_window == nullptr) return;  // the frame due paints it too
    const double since =
        std::chrono::duration<double, std::milli>(Clock::now() - m_lastFrame).count();
    const int wait = panel::FrameWaitMs(FrameIntervalMs(), since);
    if (wait == 0) {
        Flush();
    } else {
        m_frameTimerArmed = true;
        ::SetTimer(m_window, m_frameTimerId, static_cast<UINT>(wait), nullptr);
    }
}

void PanelPainter::OnFrameTimer() {
    ::KillTimer(m_window, m_frameTimerId);
    m_frameTimerArmed = false;
    Flush();
}

void PanelPainter::Flush() {
    for (std::size_t i = 0; i < panel::kElementCount; ++i) {
        if (m_dirty.test(i)) Invalidate(m_slots[i].rect);
    }
    m_dirty.reset();
}

void PanelPainter::Invalidate(const RECT& r) {
    if (m_window != nullptr) ::InvalidateRect(m_window, &r, FALSE);
}

void PanelPainter::Place(panel::Element e, double left, double top, double width, double height,
                         std::optional<double> fontSize) {
    Slot& slot = m_slots[static_cast<std::size_t>(e)];
    const RECT before = slot.rect;
    slot.geometry.left = left;
    slot.geometry.top = top;
    slot.geometry.width = width;
    slot.geometry.height = height;
    if (fontSize) slot.geometry.fontSize = *fontSize;
    slot.rect = PixelRect(slot.geometry);
    if (panel::Info(e).kind == panel::ElementKind::Picture && e != panel::Element::Picture1 &&
        !::EqualRect(&before, &slot.rect)) {
        m_layerValid = false;
    }
    Invalidate(before);
    Invalidate(slot.rect);
}

void PanelPainter::PlaceScaled(double sx, double sy) {
    for (const panel::ElementInfo& info : panel::ElementCatalogue()) {
        std::optional<double> font;
        if (info.kind == panel::ElementKind::TextField || info.kind == panel::ElementKind::Lamp ||
            info.kind == panel::ElementKind::BarGauge) {
            font = info.font.pointSize * sy;
        }
        Place(info.element, info.left * sx, info.top * sy, info.width * sx, info.height * sy, font);
    }
}

void PanelPainter::SetPanelColour(core::ColourNumber colour) {
    m_panelColour = colour;
    m_layerValid = false;
    if (m_window != nullptr) ::InvalidateRect(m_window, nullptr, FALSE);
}

COLORREF PanelPainter::Colour(core::ColourNumber c, bool& drawn) const {
    const panel::DecodedColour d = panel::DecodeColour(c);
    drawn = true;
    switch (d.kind) {
        case panel::ColourKind::WindowText: return PanelSystemColours{}.windowText;
        case panel::ColourKind::Highlight: return PanelSystemColours{}.highlight;
        case panel::ColourKind::None: drawn = false; return 0;
        case panel::ColourKind::Plain: break;
    }
    return RGB(d.red, d.green, d.blue);
}

HFONT PanelPainter::Font(panel::Element e, int pixels) {
    const int face = m_faces[static_cast<std::size_t>(e)];
    const FontKey key{face, m_faceBold[static_cast<std::size_t>(face)], pixels};
    if (auto it = m_fonts.find(key); it != m_fonts.end()) return it->second;
    if (m_fonts.size() > 96) {  // sizes of earlier window sizes
        for (auto& [k, font] : m_fonts) ::DeleteObject(font);
        m_fonts.clear();
        for (Slot& slot : m_slots) slot.text.reset();
    }
    const HFONT font =
        ::CreateFontW(-pixels, 0, 0, 0, key.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                      DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                      DEFAULT_PITCH, m_faceNames[static_cast<std::size_t>(face)].c_str());
    m_fonts.emplace(key, font);
    return font;
}

SIZE PanelPainter::Measure(HFONT font, const std::wstring& text) {
    const HGDIOBJ old = ::SelectObject(m_backDc, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(m_backDc, &metrics);
    SIZE size{};
    ::GetTextExtentPoint32W(m_backDc, text.data(), static_cast<int>(text.size()), &size);
    ::SelectObject(m_backDc, old);
    return {size.cx, metrics.tmHeight};
}

int PanelPainter::WantedPixels(panel::Element e) const {
    const double points = m_slots[static_cast<std::size_t>(e)].geometry.fontSize;
    return std::max(1, static_cast<int>(std::lround(points * m_dpi / 72.0)));
}

int PanelPainter::Margin(panel::Element e) const { return panel::TextMargin(e, WantedPixels(e)); }

int PanelPainter::FitPixels(panel::Element e, const std::wstring& text, int wanted, int margin) {
    const RECT& r = m_slots[static_cast<std::size_t>(e)].rect;
    const int room = (r.right - r.left) - 2 * margin;
    const int height = r.bottom - r.top;
    const auto width = [&](int px) { return static_cast<double>(Measure(Font(e, px), text).cx); };
    const auto fits = [&](int px) {
        const SIZE s = Measure(Font(e, px), text);
        return s.cy <= height && s.cx <= room;
    };
    return panel::FittedPixelSize(wanted, room, width, fits);
}

int PanelPainter::OwnFit(panel::Element e) {
    Slot& slot = m_slots[static_cast<std::size_t>(e)];
    auto key = std::tuple(m_model[e].text, WantedPixels(e),
                          static_cast<int>(slot.rect.right - slot.rect.left),
                          static_cast<int>(slot.rect.bottom - slot.rect.top));
    if (!slot.ownFit || slot.ownFit->first != key) {
        const int px = FitPixels(e, Wide(m_model[e].text), WantedPixels(e), Margin(e));
        slot.ownFit.emplace(std::move(key), px);
    }
    return slot.ownFit->second;
}

const PanelPainter::Fitted& PanelPainter::PreparedText(panel::Element e) {
    Slot& slot = m_slots[static_cast<std::size_t>(e)];
    const panel::ElementKind kind = panel::Info(e).kind;
    int wanted = WantedPixels(e);
    bool fit = kind == panel::ElementKind::TextField || kind == panel::ElementKind::Lamp;
    // Captions of one kind are drawn at one size: the largest at which all of them fit.
    if (const std::span<const panel::Element> group = panel::SameSizeGroup(e); !group.empty()) {
        for (const panel::Element member : group) wanted = std::min(wanted, OwnFit(member));
        fit = false;
    }
    const int margin = Margin(e);
    auto key =
        std::tuple(m_model[e].text, wanted, static_cast<int>(slot.rect.right - slot.rect.left),
                   static_cast<int>(slot.rect.bottom - slot.rect.top), margin, fit);
    if (slot.text && slot.text->key == key) return *slot.text;
    Fitted fitted;
    fitted.text = Wide(m_model[e].text);
    fitted.pixels = std::max(panel::kSmallestFittedPixels, wanted);
    fitted.size = Measure(Font(e, fitted.pixels), fitted.text);
    const int room = (slot.rect.right - slot.rect.left) - 2 * margin;
    if (fit && !fitted.text.empty() &&
        (fitted.size.cx > room || fitted.size.cy > slot.rect.bottom - slot.rect.top)) {
        fitted.pixels = FitPixels(e, fitted.text, wanted, margin);
        fitted.size = Measure(Font(e, fitted.pixels), fitted.text);
    }
    fitted.key = std::move(key);
    slot.text = std::move(fitted);
    return *slot.text;
}

void PanelPainter::EnsureBuffers() {
    RECT client{};
    ::GetClientRect(m_window, &client);
    const int w = std::max<LONG>(1, client.right);
    const int h = std::max<LONG>(1, client.bottom);
    if (m_back && m_back.width == w && m_back.height == h) return;
    if (m_backOld != nullptr) ::SelectObject(m_backDc, m_backOld);
    if (m_layerOld != nullptr) ::SelectObject(m_layerDc, m_layerOld);
    m_back = Dib(w, h);
    m_layer = Dib(w, h);
    m_backOld = ::SelectObject(m_backDc, m_back.bitmap);
    m_layerOld = ::SelectObject(m_layerDc, m_layer.bitmap);
    m_layerValid = false;
}

void PanelPainter::DrawPicture(HDC dc, const Picture& picture, const RECT& r) {
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    const Dib scaled = m_pictures.Scaled(picture, w, h);
    if (!scaled) return;
    const HDC source = ::CreateCompatibleDC(dc);
    const HGDIOBJ old = ::SelectObject(source, scaled.bitmap);
    if (picture.Opaque()) {
        ::BitBlt(dc, r.left, r.top, w, h, source, 0, 0, SRCCOPY);
    } else {
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ::GdiAlphaBlend(dc, r.left, r.top, w, h, source, 0, 0, w, h, blend);
    }
    ::SelectObject(source, old);
    ::DeleteDC(source);
}

// The panel's colour and the pictures beneath every element: drawn once per size and picture.
void PanelPainter::PaintLayer() {
    bool drawn = false;
    const COLORREF colour = Colour(m_panelColour, drawn);
    const RECT all{0, 0, m_layer.width, m_layer.height};
    Fill(m_layerDc, all, drawn ? colour : RGB(0, 0, 0));
    for (panel::Element e : {panel::Element::Image2, panel::Element::Image1}) {
        const Slot& slot = m_slots[static_cast<std::size_t>(e)];
        if (!m_model[e].visible) continue;
        if (slot.picture) {
            DrawPicture(m_layerDc, *slot.picture, slot.rect);
        } else if (e == panel::Element::Image1) {
            PaintCarTopView(m_layerDc, slot.rect);
        }
    }
    m_layerValid = true;
}

void PanelPainter::Paint() {
    const HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    ::GetUpdateRgn(m_window, region, FALSE);
    PAINTSTRUCT ps;
    const HDC dc = ::BeginPaint(m_window, &ps);
    PaintRegion(region);
    const RECT& r = ps.rcPaint;
    ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, m_backDc, r.left, r.top,
             SRCCOPY);
    ::EndPaint(m_window, &ps);
    ::DeleteObject(region);
    m_lastFrame = Clock::now();
    ++m_frames;
}

void PanelPainter::PrintClient(HDC dc) {
    EnsureBuffers();
    const HRGN all = ::CreateRectRgn(0, 0, m_back.width, m_back.height);
    PaintRegion(all);
    ::DeleteObject(all);
    ::BitBlt(dc, 0, 0, m_back.width, m_back.height, m_backDc, 0, 0, SRCCOPY);
}

void PanelPainter::PaintRegion(HRGN region) {
    EnsureBuffers();
    if (!m_layerValid) PaintLayer();
    // The region's rectangles, for the stacking rule (panel::PlanFrame).
    m_damage.clear();
    const DWORD bytes = ::GetRegionData(region, 0, nullptr);
    std::vector<char> data(bytes);
    if (bytes != 0 && ::GetRegionData(region, bytes, reinterpret_cast<RGNDATA*>(data.data()))) {
        const auto* header = reinterpret_cast<const RGNDATA*>(data.data());
        const auto* rects = reinterpret_cast<const RECT*>(header->Buffer);
        for (DWORD i = 0; i < header->rdh.nCount; ++i) {
            m_damage.push_back({rects[i].left, rects[i].top, rects[i].right - rects[i].left,
                                rects[i].bottom - rects[i].top});
        }
    }
    for (std::size_t i = 0; i < panel::kElementCount; ++i) {
        const RECT& r = m_slots[i].rect;
        m_framePlaces[i] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    panel::PlanFrame(m_model, m_framePlaces, m_damage, m_plan);

    // The layer where none of the opaque elements to be painted lies.
    const HRGN layerPart = ::CreateRectRgn(0, 0, 0, 0);
    ::CombineRgn(layerPart, region, nullptr, RGN_COPY);
    for (const panel::PixelRect& c : m_plan.covered) {
        const HRGN piece = ::CreateRectRgn(c.left, c.top, c.left + c.width, c.top + c.height);
        ::CombineRgn(layerPart, layerPart, piece, RGN_DIFF);
        ::DeleteObject(piece);
    }
    ::SelectClipRgn(m_backDc, layerPart);
    ::BitBlt(m_backDc, 0, 0, m_back.width, m_back.height, m_layerDc, 0, 0, SRCCOPY);
    ::DeleteObject(layerPart);
    ::SelectClipRgn(m_backDc, region);

    // Old readings fade towards what lies beneath them: the layer once more over their places,
    // partly transparent. The elements that show no reading are drawn after the veil and stay
    // whole.
    const std::vector<panel::Element>& toPaint = m_plan.toPaint;
    for (auto it = toPaint.rbegin(); it != toPaint.rend(); ++it) {
        if (!m_stale || Faded(*it)) PaintElement(*it);
    }
    if (m_stale) {
        const HRGN veil = ::CreateRectRgn(0, 0, 0, 0);
        for (const panel::Element e : toPaint) {
            if (!Faded(e)) continue;
            const RECT& r = m_slots[static_cast<std::size_t>(e)].rect;
            const HRGN piece = ::CreateRectRgnIndirect(&r);
            ::CombineRgn(veil, veil, piece, RGN_OR);
            ::DeleteObject(piece);
        }
        ::CombineRgn(veil, veil, region, RGN_AND);
        ::SelectClipRgn(m_backDc, veil);
        const auto alpha = static_cast<BYTE>(std::lround((1.0 - kStaleOpacity) * 255));
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, 0};
        ::GdiAlphaBlend(m_backDc, 0, 0, m_back.width, m_back.height, m_layerDc, 0, 0, m_layer.width,
                        m_layer.height, blend);
        ::DeleteObject(veil);
        ::SelectClipRgn(m_backDc, region);
        for (auto it = toPaint.rbegin(); it != toPaint.rend(); ++it) {
            if (!Faded(*it)) PaintElement(*it);
        }
    }
    // The logo lies above it all.
    const RECT& logo = m_slots[static_cast<std::size_t>(panel::Element::Picture1)].rect;
    if (m_model[panel::Element::Picture1].visible && ::RectInRegion(region, &logo))
        PaintLogoElement();
    ::SelectClipRgn(m_backDc, nullptr);
    ::GdiFlush();
}

void PanelPainter::PaintElement(panel::Element e) {
    switch (panel::Info(e).kind) {
        case panel::ElementKind::TextField: PaintTextField(e); break;
        case panel::ElementKind::Lamp: PaintLamp(e); break;
        case panel::ElementKind::BarGauge: PaintGauge(e); break;
        case panel::ElementKind::WheelMarker: {
            bool drawn = false;
            const COLORREF c = Colour(panel::Info(e).backColor, drawn);
            if (drawn) Fill(m_backDc, m_slots[static_cast<std::size_t>(e)].rect, c);
            break;
        }
        case panel::ElementKind::Picture:
        case panel::ElementKind::List: break;
    }
}

void PanelPainter::PaintTextField(panel::Element e) {
    const RECT& r = m_slots[static_cast<std::size_t>(e)].rect;
    bool drawn = false;
    const COLORREF back = Colour(m_model[e].backColor, drawn);
    if (drawn) Fill(m_backDc, r, back);
    const Fitted& text = PreparedText(e);
    if (text.text.empty()) return;
    const COLORREF colour = Colour(panel::Info(e).textColor, drawn);
    if (!drawn) return;
    const int x = panel::TextAlignment(e) == panel::TextAlign::Left
                      ? r.left
                      : r.left + ((r.right - r.left) - text.size.cx) / 2;
    const int y = r.top + ((r.bottom - r.top) - text.size.cy) / 2;
    const HGDIOBJ old = ::SelectObject(m_backDc, Font(e, text.pixels));
    Text(m_backDc, x, y, r, text.text, colour);
    ::SelectObject(m_backDc, old);
}

// A lamp has the look of a push button: lit when enabled, greyed and etched when not.
void PanelPainter::PaintLamp(panel::Element e) {
    RECT r = m_slots[static_cast<std::size_t>(e)].rect;
    ::DrawFrameControl(m_backDc, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
    const Fitted& text = PreparedText(e);
    if (text.text.empty()) return;
    const int x = r.left + ((r.right - r.left) - text.size.cx) / 2;
    const int y = r.top + ((r.bottom - r.top) - text.size.cy) / 2;
    RECT inner = r;
    ::InflateRect(&inner, -2, -2);
    const HGDIOBJ old = ::SelectObject(m_backDc, Font(e, text.pixels));
    const PanelSystemColours colours;
    if (m_model[e].enabled) {
        Text(m_backDc, x, y, inner, text.text, colours.lampText);
    } else {
        Text(m_backDc, x + 1, y + 1, inner, text.text, colours.lampDarkEtch);
        Text(m_backDc, x, y, inner, text.text, colours.lampDarkText);
    }
    ::SelectObject(m_backDc, old);
}

void PanelPainter::PaintGauge(panel::Element e) {
    const panel::ElementInfo& info = panel::Info(e);
    const panel::ElementState& s = m_model[e];
    const RECT& r = m_slots[static_cast<std::size_t>(e)].rect;
    bool drawn = false;
    const COLORREF back = Colour(s.backColor, drawn);
    Fill(m_backDc, r, drawn ? back : RGB(0, 0, 0));
    const double f = panel::BarFillFraction(s.minvalue, s.maxvalue, s.value);
    RECT fill = r;
    if (info.orientation == panel::Orientation::Horizontal) {
        fill.right = r.left + static_cast<LONG>(std::lround((r.right - r.left) * f));
    } else {
        fill.top = r.bottom - static_cast<LONG>(std::lround((r.bottom - r.top) * f));
    }
    const COLORREF fore = Colour(info.foreColor, drawn);
    if (drawn && fill.right > fill.left && fill.bottom > fill.top) Fill(m_backDc, fill, fore);
    // A thin frame keeps an empty bar visible on a background of its own colour.
    const HBRUSH frame = ::CreateSolidBrush(RGB(0x60, 0x60, 0x60));
    ::FrameRect(m_backDc, &r, frame);
    ::DeleteObject(frame);

    const Fitted& text = PreparedText(e);
    if (text.text.empty()) return;
    // The text gets an outline in the text back colour so it stays readable where it crosses
    // from the fill onto the empty part of the bar.
    const int x = r.left + ((r.right - r.left) - text.size.cx) / 2;
    const int y = r.top + ((r.bottom - r.top) - text.size.cy) / 2;
    const HGDIOBJ old = ::SelectObject(m_backDc, Font(e, text.pixels));
    const COLORREF outline = Colour(s.backColor, drawn);
    if (drawn) {
        for (const POINT step : {POINT{-1, -1}, POINT{0, -1}, POINT{1, -1}, POINT{-1, 0},
                                 POINT{1, 0}, POINT{-1, 1}, POINT{0, 1}, POINT{1, 1}}) {
            Text(m_backDc, x + step.x, y + step.y, r, text.text, outline);
        }
    }
    const COLORREF colour = Colour(info.textColor, drawn);
    Text(m_backDc, x, y, r, text.text, drawn ? colour : RGB(0xFF, 0xFF, 0xFF));
    ::SelectObject(m_backDc, old);
}

void PanelPainter::PaintLogoElement() {
    const Slot& slot = m_slots[static_cast<std::size_t>(panel::Element::Picture1)];
    if (slot.picture) {
        DrawPicture(m_backDc, *slot.picture, slot.rect);
    } else {
        PaintLogo(m_backDc, slot.rect);
    }
}

bool PanelPainter::OnLogo(POINT at) const {
    return m_model[panel::Element::Picture1].visible &&
           ::PtInRect(&m_slots[static_cast<std::size_t>(panel::Element::Picture1)].rect, at);
}

}  // namespace kerbview::win32
