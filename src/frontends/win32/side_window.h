// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "panel/window_placement.h"

namespace kerbview::win32 {

/// A GDI font, deleted with its owner.
struct FontDeleter {
    void operator()(HFONT font) const { ::DeleteObject(font); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

/// A resource of the system's (IDC_ARROW, IDI_HAND) as the wide functions take it.
inline LPCWSTR SystemResource(LPCSTR id) { return reinterpret_cast<LPCWSTR>(id); }

/// Width and height of a text, in pixels.
struct TextExtent {
    int cx = 0;
    int cy = 0;
};

/// The desktop's message font at dpi dots per inch, scaled by scale and made bold on request;
/// with face, that face at the message font's size times scale.
Font MessageFont(UINT dpi, double scale = 1.0, bool bold = false, const wchar_t* face = nullptr);

/// Where a side window's frame goes: place against anchor (screen pixels), wholly inside the
/// work area of the monitor that holds monitorOf (or, without it, the primary monitor).
void PlaceFrame(HWND window, panel::SidePlace place, const RECT& anchor, HWND monitorOf);

/// One window beside the main window, built in code from standard controls: created hidden,
/// sized for its contents at its monitor's dots per inch and the desktop's message font, laid
/// out again when that changes. Closing it destroys the window, not this object: Open() then
/// says false and the owner makes a new one for the next opening. Tab, Enter and Escape work
/// through IsDialogMessageW (KeyboardMessage); Enter presses the IDOK button and Escape closes
/// the window when it is a dialog.
class SideWindow {
public:
    SideWindow() = default;
    virtual ~SideWindow();
    SideWindow(const SideWindow&) = delete;
    SideWindow& operator=(const SideWindow&) = delete;

    /// Creates the window, hidden, owned by owner and on owner's monitor, with its controls laid
    /// out. Returns false when Windows refused.
    bool Create(HINSTANCE instance, HWND owner, const std::wstring& title);
    HWND Handle() const { return m_hwnd; }
    bool Open() const { return m_hwnd != nullptr; }
    /// Shows it, restored from the taskbar and in front.
    void Raise();
    void Close();
    /// Runs IsDialogMessageW when msg is for this window or one of its controls.
    virtual bool KeyboardMessage(MSG& msg);
    /// Called once the window is destroyed, whoever closed it.
    void OnClosed(std::function<void()> closed) { m_closed = std::move(closed); }

protected:
    /// Window styles: a fixed-size dialog unless a window says otherwise.
    virtual DWORD Style() const { return WS_CAPTION | WS_SYSMENU; }
    virtual DWORD ExStyle() const { return WS_EX_DLGMODALFRAME; }
    /// Whether Escape closes it.
    virtual bool IsDialog() const { return true; }
    /// Creates the controls, once.
    virtual void Build() = 0;
    /// Places the controls for Dpi() and Font() in a client area at least minWidth wide and
    /// returns the client size they need.
    virtual SIZE Arrange(int minWidth) = 0;
    /// A resizable window lays its controls out for a new client size.
    virtual void Fit(int /*width*/, int /*height*/) {}
    /// A command of a control (WM_COMMAND).
    virtual void Command(int /*id*/, int /*code*/) {}
    /// Messages not handled here; the default is DefWindowProcW.
    virtual LRESULT Message(UINT msg, WPARAM wParam, LPARAM lParam);

    /// A control with the window's font; text through Wide() by the caller.
    HWND AddControl(const wchar_t* windowClass, const std::wstring& text, DWORD style, int id = 0,
                    DWORD exStyle = 0);
    /// Pixels for a length in pixels at 96 dots per inch.
    int Px(int at96) const { return ::MulDiv(at96, static_cast<int>(m_dpi), 96); }
    UINT Dpi() const { return m_dpi; }
    HFONT Font() const { return m_font.get(); }
    /// The size of text in font (the window's font when null); with wrapWidth, wrapped at words
    /// to that width.
    TextExtent TextSize(const std::wstring& text, HFONT font = nullptr, int wrapWidth = 0) const;
    /// Height of a one-line edit box or push button for the window's font.
    int FieldHeight() const;
    /// Width of a push button showing text.
    int ButtonWidth(const std::wstring& text) const;
    static void Move(HWND control, int x, int y, int width, int height);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    /// Fonts for the current dpi, given to every control, then the layout and the window's size.
    void Rescale(const RECT* suggested);
    /// The outer width that shows the whole title.
    int TitleWidth() const;

    HWND m_hwnd = nullptr;
    UINT m_dpi = 96;
    win32::Font m_font;
    HWND m_focus = nullptr;
    std::function<void()> m_closed;
};

}  // namespace kerbview::win32
