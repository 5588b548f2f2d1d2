// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <utility>

#include "app/front_end.h"
#include "app/program.h"
#include "frontends/win32/panel_painter.h"
#include "frontends/win32/wic_pictures.h"

namespace kerbview::win32 {

/// The main window Kerbview_Form: the painted panel, the menu bar built from the panel model's
/// menus (each item's WM_COMMAND id from menu_ids.h), and the scan timer Timer1. Every handler
/// forwards to the Program. Sizes are measured with the window's own DPI: twips per pixel is
/// 1440 / GetDpiForWindow.
class Kerbview_Form {
public:
    /// Creates the window, hidden, with its client area at the initial layout's size.
    /// onSync is called, once per round of changes, from the message loop (posted).
    Kerbview_Form(app::Program& program, HINSTANCE instance, const WicPictures& pictures,
                  std::function<void()> onSync);
    ~Kerbview_Form();
    Kerbview_Form(const Kerbview_Form&) = delete;
    Kerbview_Form& operator=(const Kerbview_Form&) = delete;

    HWND Handle() const { return m_window; }
    PanelPainter& View() { return m_view; }

    /// Asks for onSync to run from the message loop.
    void PostSync();
    /// Shows the menu captions, check marks and enabled states that changed in the model.
    void SyncMenus();
    /// Shows the window; from then on size changes run the resize handler.
    void Show();

    void SetBackgroundColour(core::ColourNumber colour) { m_view.SetPanelColour(colour); }
    double TwipsPerPixel() const { return 1440.0 / m_view.Dpi(); }
    app::WindowSize Size() const;
    /// The top-left corner of the window in its normal state, in twips.
    std::pair<double, double> NormalPosition() const;
    void Move(std::int32_t left, std::int32_t top);

    /// Timer1: its interval (0 stops it) and whether it runs.
    void SetTimerInterval(int milliseconds);
    void SetTimerEnabled(bool enabled);
    /// Calls action every `milliseconds` from the message loop (the measurement and screenshot
    /// aids); an action may stop its timer with StopEvery(id).
    UINT_PTR Every(UINT milliseconds, std::function<void()> action);
    void StopEvery(UINT_PTR id);

    /// Closes the window as its close box does: the unload runs once.
    void Close();
    /// Destroys the window (the program ends).
    void Destroy();

    /// Saves the panel (the client area) as a PNG file; false when it could not be written.
    bool SaveSnapshot(const std::filesystem::path& file);

    /// Runs the resize handler for the window's present size and state.
    void Resized();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT Handle(UINT message, WPARAM w, LPARAM l);
    void BuildMenus();
    std::optional<panel::OuterSize> AvailableOuterSize() const;
    void KeepOnScreen();
    void KeepProportions(WPARAM edge, RECT& proposed);

    app::Program& m_program;
    const WicPictures& m_pictures;
    HWND m_window = nullptr;
    PanelPainter m_view;
    std::function<void()> m_onSync;
    HMENU m_menu = nullptr;
    // The menu holding each item and the item's place in it.
    std::array<HMENU, panel::kMenuCount> m_menuOwner{};
    std::array<UINT, panel::kMenuCount> m_menuPosition{};
    std::uint64_t m_menusSeen = 0;
    bool m_menusSynced = false;
    int m_interval = 0;
    bool m_timerRunning = false;
    std::map<UINT_PTR, std::function<void()>> m_every;
    UINT_PTR m_nextEvery = 100;
    bool m_shown = false;
    bool m_unloaded = false;
    bool m_syncPosted = false;
    int m_resizeDepth = 0;
};

}  // namespace kerbview::win32
