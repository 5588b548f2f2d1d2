// SPDX-License-Identifier: MIT
#include "frontends/win32/builtin_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <vector>

#include "panel/element_catalogue.h"

namespace kerbview::win32 {
namespace {

POINT At(const RECT& f, double x, double y) {
    return {f.left + static_cast<LONG>(std::lround(x * (f.right - f.left))),
            f.top + static_cast<LONG>(std::lround(y * (f.bottom - f.top)))};
}
RECT Box(const RECT& f, double x, double y, double w, double h) {
    const POINT a = At(f, x, y);
    const POINT b = At(f, x + w, y + h);
    return {a.x, a.y, b.x, b.y};
}

// Selects a solid brush and pen for the duration of a drawing step.
class Tools {
public:
    Tools(HDC dc, COLORREF fill, COLORREF line, bool outline)
        : m_dc(dc),
          m_brush(::CreateSolidBrush(fill)),
          m_pen(outline ? ::CreatePen(PS_SOLID, 1, line) : nullptr) {
        m_oldBrush = ::SelectObject(dc, m_brush);
        m_oldPen = ::SelectObject(dc, outline ? m_pen : ::GetStockObject(NULL_PEN));
    }
    ~Tools() {
        ::SelectObject(m_dc, m_oldBrush);
        ::SelectObject(m_dc, m_oldPen);
        ::DeleteObject(m_brush);
        if (m_pen != nullptr) ::DeleteObject(m_pen);
    }
    Tools(const Tools&) = delete;
    Tools& operator=(const Tools&) = delete;

private:
    HDC m_dc;
    HBRUSH m_brush;
    HPEN m_pen;
    HGDIOBJ m_oldBrush;
    HGDIOBJ m_oldPen;
};

void RoundBox(HDC dc, const RECT& r, int radius) {
    ::RoundRect(dc, r.left, r.top, r.right, r.bottom, radius, radius);
}

}  // namespace

void PaintCarTopView(HDC dc, const RECT& f) {
    {
        Tools t(dc, RGB(0x18, 0x18, 0x18), 0, false);
        for (const panel::ShareRect& tyre : panel::MarkerPlacesOnCarPicture()) {
            RoundBox(dc, Box(f, tyre.x, tyre.y, tyre.width, tyre.height), 6);
        }
    }
    // Body: narrow nose, wide side pods between the axles, tapering tail.
    {
        Tools t(dc, RGB(0xC8, 0xCE, 0xD6), RGB(0x40, 0x40, 0x48), true);
        std::vector<POINT> body;
        body.push_back(At(f, 0.50, 0.02));
        for (const auto& [x, y] : std::initializer_list<std::pair<double, double>>{
                 {0.62, 0.02}, {0.66, 0.10}, {0.66, 0.20}}) {
            body.push_back(At(f, x, y));
        }
        ::BeginPath(dc);
        ::MoveToEx(dc, body[0].x, body[0].y, nullptr);
        ::PolyBezierTo(dc, &body[1], 3);
        const POINT sides[] = {At(f, 0.73, 0.34), At(f, 0.76, 0.62), At(f, 0.72, 0.90)};
        ::PolylineTo(dc, sides, 3);
        const POINT tail[] = {At(f, 0.70, 0.97), At(f, 0.60, 0.98), At(f, 0.50, 0.98),
                              At(f, 0.40, 0.98), At(f, 0.30, 0.97), At(f, 0.28, 0.90)};
        ::PolyBezierTo(dc, tail, 6);
        const POINT other[] = {At(f, 0.24, 0.62), At(f, 0.27, 0.34), At(f, 0.34, 0.20)};
        ::PolylineTo(dc, other, 3);
        const POINT nose[] = {At(f, 0.34, 0.10), At(f, 0.38, 0.02), At(f, 0.50, 0.02)};
        ::PolyBezierTo(dc, nose, 3);
        ::CloseFigure(dc);
        ::EndPath(dc);
        ::StrokeAndFillPath(dc);
    }
    // Front and rear wings.
    {
        Tools t(dc, RGB(0x50, 0x58, 0x60), RGB(0x40, 0x40, 0x48), true);
        RoundBox(dc, Box(f, 0.20, 0.015, 0.60, 0.035), 4);
        RoundBox(dc, Box(f, 0.22, 0.935, 0.56, 0.045), 4);
    }
    // Cockpit: windscreen, roof and rear window.
    {
        Tools t(dc, RGB(0x20, 0x30, 0x48), RGB(0x40, 0x40, 0x48), true);
        const POINT glass[] = {At(f, 0.36, 0.36), At(f, 0.64, 0.36), At(f, 0.67, 0.46),
                               At(f, 0.33, 0.46)};
        ::Polygon(dc, glass, 4);
        const RECT rear = Box(f, 0.36, 0.62, 0.28, 0.06);
        ::Rectangle(dc, rear.left, rear.top, rear.right, rear.bottom);
    }
    {
        Tools t(dc, RGB(0xC8, 0x20, 0x20), RGB(0x40, 0x40, 0x48), true);
        RoundBox(dc, Box(f, 0.34, 0.46, 0.32, 0.16), 8);
    }
    // Racing stripe along the bonnet and the tail.
    const HBRUSH stripe = ::CreateSolidBrush(RGB(0xC8, 0x20, 0x20));
    for (const RECT& r : {Box(f, 0.47, 0.05, 0.06, 0.31), Box(f, 0.47, 0.68, 0.06, 0.26)}) {
        ::FillRect(dc, &r, stripe);
    }
    ::DeleteObject(stripe);
}

void PaintLogo(HDC dc, const RECT& f) {
    const int w = f.right - f.left;
    const int h = f.bottom - f.top;
    if (w < 4 || h < 4) return;
    // Background: a dark blue-grey darkening downwards, in a thin light frame.
    TRIVERTEX v[2] = {{f.left, f.top, 0x3000, 0x3800, 0x4800, 0xFF00},
                      {f.right, f.bottom, 0x1000, 0x1400, 0x1C00, 0xFF00}};
    GRADIENT_RECT g{0, 1};
    ::GdiGradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
    const HBRUSH frame = ::CreateSolidBrush(RGB(0x80, 0x88, 0x98));
    ::FrameRect(dc, &f, frame);
    ::DeleteObject(frame);

    // Kerb stripe along the bottom: alternating red and white blocks.
    const double kerbTop = f.bottom - h * 0.26;
    const double kerbH = h * 0.16;
    const double bw = (w - 8) / 8.0;
    const HBRUSH red = ::CreateSolidBrush(RGB(0xD0, 0x18, 0x18));
    const HBRUSH white = ::CreateSolidBrush(RGB(0xF4, 0xF4, 0xF4));
    for (int i = 0; i < 8; ++i) {
        const RECT block{static_cast<LONG>(std::lround(f.left + 4 + i * bw)),
                         static_cast<LONG>(std::lround(kerbTop)),
                         static_cast<LONG>(std::lround(f.left + 4 + (i + 1) * bw)),
                         static_cast<LONG>(std::lround(kerbTop + kerbH))};
        ::FillRect(dc, &block, i % 2 == 0 ? red : white);
    }
    ::DeleteObject(red);
    ::DeleteObject(white);

    // The name, as large as fits the width of the frame.
    RECT textBox{f.left, f.top + static_cast<LONG>(h * 0.08), f.right,
                 f.top + static_cast<LONG>(h * 0.63)};
    int px = std::max(6, static_cast<int>(h * 0.40));
    for (;; --px) {
        const HFONT font = ::CreateFontW(-px, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, DEFAULT_CHARSET,
                                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                         ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Tahoma");
        const HGDIOBJ old = ::SelectObject(dc, font);
        SIZE size{};
        ::GetTextExtentPoint32W(dc, L"KERBVIEW", 8, &size);
        if (size.cx <= w - 8 || px <= 6) {
            ::SetBkMode(dc, TRANSPARENT);
            ::SetTextColor(dc, RGB(0xFF, 0xC8, 0x30));
            ::DrawTextW(dc, L"KERBVIEW", 8, &textBox, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            ::SelectObject(dc, old);
            ::DeleteObject(font);
            break;
        }
        ::SelectObject(dc, old);
        ::DeleteObject(font);
    }
}

Dib BuiltinPicture(panel::Element e, int width, int height) {
    if (e != panel::Element::Image1 && e != panel::Element::Picture1) return {};
    // GDI draws no alpha: the picture is drawn over black and over white, and how far a pixel
    // moved with the background tells how much of it shows through. Over black, the colour is
    // already the premultiplied one.
    Dib overBlack(width, height);
    Dib overWhite(width, height);
    if (!overBlack || !overWhite) return {};
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const RECT frame{0, 0, width, height};
    for (Dib* dib : {&overBlack, &overWhite}) {
        const HGDIOBJ old = ::SelectObject(dc, dib->bitmap);
        ::FillRect(
            dc, &frame,
            static_cast<HBRUSH>(::GetStockObject(dib == &overBlack ? BLACK_BRUSH : WHITE_BRUSH)));
        if (e == panel::Element::Image1) {
            PaintCarTopView(dc, frame);
        } else {
            PaintLogo(dc, frame);
        }
        ::SelectObject(dc, old);
    }
    ::DeleteDC(dc);
    ::GdiFlush();
    auto* black = static_cast<BYTE*>(overBlack.bits);
    const auto* white = static_cast<const BYTE*>(overWhite.bits);
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t i = 0; i < pixels; ++i) {
        BYTE* p = black + i * 4;
        const BYTE* q = white + i * 4;
        const int through = ((q[0] - p[0]) + (q[1] - p[1]) + (q[2] - p[2])) / 3;
        const auto alpha = static_cast<BYTE>(std::clamp(255 - through, 0, 255));
        for (int c = 0; c < 3; ++c) p[c] = std::min(p[c], alpha);
        p[3] = alpha;
    }
    return overBlack;
}

}  // namespace kerbview::win32
