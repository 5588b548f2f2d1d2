// SPDX-License-Identifier: MIT
#include "frontends/win32/side_window.h"

#include <algorithm>
#include <cmath>

namespace kerbview::win32 {
namespace {

constexpr const wchar_t* kWindowClass = L"KerbviewSideWindow";

void RegisterWindowClass(HINSTANCE instance, WNDPROC proc) {
    WNDCLASSEXW wc{};
    if (::GetClassInfoExW(instance, kWindowClass, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, SystemResource(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    ::RegisterClassExW(&wc);
}

BOOL CALLBACK SetFontOfChild(HWND child, LPARAM font) {
    ::SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    return TRUE;
}

panel::DesktopRect Rect(const RECT& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

}  // namespace

Font MessageFont(UINT dpi, double scale, bool bold, const wchar_t* face) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font{};
    if (::SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        font = metrics.lfMessageFont;
    } else {
        font.lfHeight = -::MulDiv(9, static_cast<int>(dpi), 72);
        font.lfCharSet = DEFAULT_CHARSET;
        ::wcsncpy_s(font.lfFaceName, LF_FACESIZE, L"Segoe UI", _TRUNCATE);
    }
    font.lfHeight = static_cast<LONG>(std::lround(font.lfHeight * scale));
    if (bold) font.lfWeight = FW_BOLD;
    if (face != nullptr) ::wcsncpy_s(font.lfFaceName, LF_FACESIZE, face, _TRUNCATE);
    return win32::Font(::CreateFontIndirectW(&font));
}

void PlaceFrame(HWND window, panel::SidePlace place, const RECT& anchor, HWND monitorOf) {
    const HMONITOR monitor = monitorOf != nullptr
                                 ? ::MonitorFromWindow(monitorOf, MONITOR_DEFAULTTONEAREST)
                                 : ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(monitor, &info)) return;
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const panel::DesktopPoint at = panel::SideWindowPosition(
        place, Rect(anchor), frame.right - frame.left, frame.bottom - frame.top, Rect(info.rcWork));
    ::SetWindowPos(window, nullptr, static_cast<int>(at.x), static_cast<int>(at.y), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

SideWindow::~SideWindow() {
    if (m_hwnd == nullptr) return;
    // Detached first: the derived part is gone, so the messages of the destruction go to
    // DefWindowProcW; the closing callback still runs.
    ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    const HWND hwnd = m_hwnd;
    m_hwnd = nullptr;
    ::DestroyWindow(hwnd);
    if (m_closed) m_closed();
}

bool SideWindow::Create(HINSTANCE instance, HWND owner, const std::wstring& title) {
    RegisterWindowClass(instance, &SideWindow::Proc);
    // Made on the owner's monitor, so that it takes that monitor's dots per inch.
    RECT at{0, 0, 0, 0};
    if (owner != nullptr) ::GetWindowRect(owner, &at);
    if (::CreateWindowExW(ExStyle() | WS_EX_CONTROLPARENT, kWindowClass, title.c_str(), Style(),
                          at.left, at.top, 1, 1, owner, nullptr, instance, this) == nullptr) {
        return false;
    }
    Build();
    Rescale(nullptr);
    return true;
}

void SideWindow::Raise() {
    if (m_hwnd == nullptr) return;
    if (::IsIconic(m_hwnd)) ::ShowWindow(m_hwnd, SW_RESTORE);
    ::ShowWindow(m_hwnd, SW_SHOW);
    ::SetForegroundWindow(m_hwnd);
}

void SideWindow::Close() {
    if (m_hwnd != nullptr) ::DestroyWindow(m_hwnd);
}

bool SideWindow::KeyboardMessage(MSG& msg) {
    if (m_hwnd == nullptr || (msg.hwnd != m_hwnd && !::IsChild(m_hwnd, msg.hwnd))) return false;
    return ::IsDialogMessageW(m_hwnd, &msg) != FALSE;
}

HWND SideWindow::AddControl(const wchar_t* windowClass, const std::wstring& text, DWORD style,
                            int id, DWORD exStyle) {
    const HWND control = ::CreateWindowExW(
        exStyle, windowClass, text.c_str(), style | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_hwnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(m_hwnd, GWLP_HINSTANCE)), nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
    return control;
}

TextExtent SideWindow::TextSize(const std::wstring& text, HFONT font, int wrapWidth) const {
    const HDC dc = ::GetDC(m_hwnd);
    const HGDIOBJ old = ::SelectObject(dc, font != nullptr ? font : m_font.get());
    RECT box{0, 0, wrapWidth > 0 ? wrapWidth : 1, 0};
    UINT format = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS;
    format |= wrapWidth > 0 ? DT_WORDBREAK : 0;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
    ::SelectObject(dc, old);
    ::ReleaseDC(m_hwnd, dc);
    return {static_cast<int>(box.right - box.left), static_cast<int>(box.bottom - box.top)};
}

int SideWindow::FieldHeight() const { return std::max(Px(23), TextSize(L"Xg").cy + Px(8)); }

int SideWindow::ButtonWidth(const std::wstring& text) const {
    return std::max(Px(75), TextSize(text).cx + Px(24));
}

void SideWindow::Move(HWND control, int x, int y, int width, int height) {
    ::SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int SideWindow::TitleWidth() const {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!::SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                      m_dpi)) {
        return 0;
    }
    const win32::Font captionFont(::CreateFontIndirectW(&metrics.lfCaptionFont));
    std::wstring title(static_cast<std::size_t>(::GetWindowTextLengthW(m_hwnd)) + 1, L'\0');
    title.resize(static_cast<std::size_t>(
        ::GetWindowTextW(m_hwnd, title.data(), static_cast<int>(title.size()))));
    // Room for the icon and three caption buttons whatever the style asks: a window manager
    // under Wine may draw its own, with a bolder font.
    return TextSize(title, captionFont.get()).cx * 11 / 10 + 4 * metrics.iCaptionWidth + Px(32);
}

void SideWindow::Rescale(const RECT* suggested) {
    m_dpi = ::GetDpiForWindow(m_hwnd);
    if (m_dpi == 0) m_dpi = 96;
    m_font = MessageFont(m_dpi);
    ::EnumChildWindows(m_hwnd, &SetFontOfChild, reinterpret_cast<LPARAM>(m_font.get()));
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(m_hwnd, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE));
    RECT borders{0, 0, 0, 0};
    ::AdjustWindowRectExForDpi(&borders, style, FALSE, exStyle, m_dpi);
    // Wide enough to show the whole title.
    const SIZE client = Arrange(TitleWidth() - (borders.right - borders.left));
    RECT frame{0, 0, client.cx, client.cy};
    ::AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, m_dpi);
    RECT now{};
    ::GetWindowRect(m_hwnd, &now);
    const RECT& at = suggested != nullptr ? *suggested : now;
    ::SetWindowPos(m_hwnd, nullptr, at.left, at.top, frame.right - frame.left,
                   frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT inside{};
    ::GetClientRect(m_hwnd, &inside);
    Fit(inside.right, inside.bottom);
}

LRESULT CALLBACK SideWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* window =
            static_cast<SideWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->m_hwnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<SideWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    return window->Handle(msg, wParam, lParam);
}

LRESULT SideWindow::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL && lParam == 0) {
                // Escape, through IsDialogMessageW.
                if (IsDialog()) Close();
                return 0;
            }
            Command(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CLOSE: Close(); return 0;
        case WM_ACTIVATE:
            // As a dialog does: the control that had the focus gets it back.
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = ::GetFocus();
                if (focus != nullptr && ::IsChild(m_hwnd, focus)) m_focus = focus;
            } else {
                HWND focus = m_focus;
                if (focus == nullptr || !::IsWindow(focus)) {
                    focus = ::GetNextDlgTabItem(m_hwnd, nullptr, FALSE);
                }
                if (focus != nullptr) ::SetFocus(focus);
            }
            return 0;
        case WM_SIZE: Fit(LOWORD(lParam), HIWORD(lParam)); return 0;
        case WM_DPICHANGED: Rescale(reinterpret_cast<const RECT*>(lParam)); return 0;
        case WM_NCDESTROY: {
            m_hwnd = nullptr;
            m_focus = nullptr;
            // The callback may replace this window's owner pointer: nothing of this object is
            // touched after it.
            const std::function<void()> closed = m_closed;
            if (closed) closed();
            return 0;
        }
        default: return Message(msg, wParam, lParam);
    }
}

LRESULT SideWindow::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(m_hwnd, msg, wParam, lParam);
}

}  // namespace kerbview::win32
