// SPDX-License-Identifier: MIT
#include "frontends/win32/about_window.h"

#include <shellapi.h>

#include <algorithm>
#include <string>

#include "app/front_end_rules.h"
#include "frontends/win32/wide_text.h"

namespace kerbview::win32 {
namespace {

constexpr int kLogo = 100;
constexpr int kLogoWidth = 150;
constexpr int kLogoHeight = 77;

win32::Font PixelFont(int pixels, int weight, bool italic, const wchar_t* face) {
    LOGFONTW font{};
    font.lfHeight = -pixels;
    font.lfWeight = weight;
    font.lfItalic = italic ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    ::wcsncpy_s(font.lfFaceName, LF_FACESIZE, face, _TRUNCATE);
    return win32::Font(::CreateFontIndirectW(&font));
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
    ::SetDCBrushColor(dc, colour);
    ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
}

}  // namespace

void PaintLogo(HDC dc, const RECT& f, UINT dpi) {
    const int saved = ::SaveDC(dc);
    const int width = f.right - f.left;
    const int height = f.bottom - f.top;
    const auto px = [dpi](int at96) { return ::MulDiv(at96, static_cast<int>(dpi), 96); };

    // A dark plate, lighter at the top, with a grey rim and rounded corners.
    const HRGN plate =
        ::CreateRoundRectRgn(f.left, f.top, f.right + 1, f.bottom + 1, px(12), px(12));
    ::SelectClipRgn(dc, plate);
    for (int y = 0; y < height; ++y) {
        const int shade = 0x30 - (0x20 * y) / std::max(1, height - 1);
        Fill(dc, RECT{f.left, f.top + y, f.right, f.top + y + 1},
             RGB(shade, shade + 8, shade + 0x18));
    }
    ::SelectClipRgn(dc, nullptr);
    ::SetDCBrushColor(dc, RGB(0x80, 0x88, 0x98));
    ::FrameRgn(dc, plate, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)), 1, 1);
    ::DeleteObject(plate);

    // The kerb along the bottom: alternating red and white blocks.
    const int blocks = 8;
    const int kerbLeft = f.left + px(4);
    const int kerbWidth = width - 2 * px(4);
    const int kerbTop = f.bottom - height * 26 / 100;
    const int kerbBottom = kerbTop + height * 16 / 100;
    for (int i = 0; i < blocks; ++i) {
        Fill(dc,
             RECT{kerbLeft + kerbWidth * i / blocks, kerbTop,
                  kerbLeft + kerbWidth * (i + 1) / blocks, kerbBottom},
             i % 2 == 0 ? RGB(0xD0, 0x18, 0x18) : RGB(0xF4, 0xF4, 0xF4));
    }

    // The name, as large as fits the plate's width.
    const std::wstring name = L"KERBVIEW";
    int pixels = std::max(6, height * 40 / 100);
    win32::Font font = PixelFont(pixels, FW_BOLD, true, L"Arial");
    for (;;) {
        ::SelectObject(dc, font.get());
        SIZE size{};
        ::GetTextExtentPoint32W(dc, name.c_str(), static_cast<int>(name.size()), &size);
        if (pixels <= 6 || size.cx <= width - px(8)) break;
        font = PixelFont(--pixels, FW_BOLD, true, L"Arial");
    }
    RECT text{f.left, f.top + height * 8 / 100, f.right, f.top + height * 63 / 100};
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0xFF, 0xC8, 0x30));
    ::DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &text,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::RestoreDC(dc, saved);
}

void AboutWindow::Build() {
    m_logo = AddControl(L"STATIC", L"", SS_OWNERDRAW | SS_NOTIFY, kLogo);
    m_title = AddControl(L"STATIC", Wide(m_texts.name), SS_LEFT | SS_NOPREFIX);
    m_description = AddControl(L"STATIC", Wide(m_texts.description), SS_LEFT | SS_NOPREFIX);
    m_line = AddControl(L"STATIC", L"", SS_ETCHEDHORZ);
    m_disclaimer = AddControl(L"STATIC", Wide(m_texts.credit), SS_LEFT | SS_NOPREFIX);
    m_ok = AddControl(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK);
}

SIZE AboutWindow::Arrange(int minWidth) {
    m_titleFont = PixelFont(Px(24), FW_BOLD, false, L"Comic Sans MS");
    ::SendMessageW(m_title, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.get()), FALSE);

    const int margin = Px(11);
    const int gap = Px(7);
    const std::wstring name = Wide(m_texts.name);
    const std::wstring credit = Wide(m_texts.credit);
    const TextExtent title = TextSize(name, m_titleFont.get());
    const TextExtent disclaimer = TextSize(credit);
    const int buttonWidth = ButtonWidth(L"OK");
    const int buttonHeight = FieldHeight();

    const int columnLeft = margin + Px(kLogoWidth) + margin;
    int width =
        std::max(std::max(Px(460), minWidth), columnLeft + std::max(title.cx, Px(260)) + margin);
    width = std::max(width, margin + disclaimer.cx + gap + buttonWidth + margin);
    const int columnWidth = width - columnLeft - margin;
    const TextExtent description = TextSize(Wide(m_texts.description), nullptr, columnWidth);

    Move(m_logo, margin, margin, Px(kLogoWidth), Px(kLogoHeight));
    Move(m_title, columnLeft, margin, columnWidth, title.cy);
    Move(m_description, columnLeft, margin + title.cy + gap, columnWidth, description.cy);
    const int top = margin + std::max(Px(kLogoHeight), title.cy + gap + description.cy);
    const int lineTop = top + Px(9);
    Move(m_line, margin, lineTop, width - 2 * margin, 2);
    const int rowTop = lineTop + 2 + Px(9);
    Move(m_ok, width - margin - buttonWidth, rowTop, buttonWidth, buttonHeight);
    Move(m_disclaimer, margin, rowTop + (buttonHeight - disclaimer.cy) / 2,
         width - 2 * margin - gap - buttonWidth, disclaimer.cy);
    return {width, rowTop + buttonHeight + margin};
}

void AboutWindow::Command(int id, int code) {
    if (id == IDOK) {
        Close();
    } else if (id == kLogo && code == STN_CLICKED) {
        // The desktop's result is ignored: without a browser nothing happens, as nothing should.
        const std::wstring site = Wide(app::kCommunityWebSite);
        ::ShellExecuteW(Handle(), L"open", site.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
}

LRESULT AboutWindow::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DRAWITEM && wParam == kLogo) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        ::FillRect(item->hDC, &item->rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
        PaintLogo(item->hDC, item->rcItem, Dpi());
        return TRUE;
    }
    if (msg == WM_SETCURSOR && reinterpret_cast<HWND>(wParam) == m_logo) {
        ::SetCursor(::LoadCursorW(nullptr, SystemResource(IDC_HAND)));
        return TRUE;
    }
    return SideWindow::Message(msg, wParam, lParam);
}

}  // namespace kerbview::win32
