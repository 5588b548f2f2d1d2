// SPDX-License-Identifier: MIT
#include "frontends/win32/main_window.h"

#include <shellapi.h>

#include <cmath>
#include <utility>

#include "app/front_end_rules.h"
#include "frontends/win32/menu_ids.h"
#include "frontends/win32/wide_text.h"
#include "panel/element_catalogue.h"
#include "panel/window_placement.h"

namespace kerbview::win32 {
namespace {

constexpr wchar_t kClassName[] = L"Kerbview_Form";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT_PTR kFrameTimer = 2;
constexpr UINT kSyncMessage = WM_APP + 1;

int Pixels(double twips, double twipsPerPixel) {
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

// The work area of the window's monitor: the screen without the taskbar.
RECT WorkArea(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

// A system cursor; its id is a number in the resource name's place (narrow here, as the
// program is built without UNICODE).
HCURSOR SystemCursor(LPCSTR id) { return ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(id)); }

}  // namespace

Kerbview_Form::Kerbview_Form(app::Program& program, HINSTANCE instance, const WicPictures& pictures,
                             std::function<void()> onSync)
    : m_program(program),
      m_pictures(pictures),
      m_view(program.Panel(), pictures),
      m_onSync(std::move(onSync)) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (!::GetClassInfoExW(instance, kClassName, &windowClass)) {
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = SystemCursor(IDC_ARROW);
        windowClass.lpszClassName = kClassName;
        ::RegisterClassExW(&windowClass);
    }
    BuildMenus();
    ::CreateWindowExW(0, kClassName, L"Kerbview", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, m_menu, instance, this);
    m_view.Attach(m_window, kFrameTimer);
    m_view.SetDpi(::GetDpiForWindow(m_window));
    SyncMenus();

    // The client area of the initial layout, with the menu bar above it; a menu bar that takes
    // two lines makes the window taller by what it takes.
    const double tpp = TwipsPerPixel();
    const int clientWidth = Pixels(panel::kDesignClientWidth, tpp);
    const int clientHeight = Pixels(panel::kDesignClientHeight, tpp);
    RECT outer{0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectExForDpi(&outer, kStyle, TRUE, 0, m_view.Dpi());
    ::SetWindowPos(m_window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    ::GetClientRect(m_window, &client);
    if (client.bottom != clientHeight || client.right != clientWidth) {
        ::SetWindowPos(m_window, nullptr, 0, 0,
                       outer.right - outer.left + clientWidth - client.right,
                       outer.bottom - outer.top + clientHeight - client.bottom,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

Kerbview_Form::~Kerbview_Form() { Destroy(); }

void Kerbview_Form::BuildMenus() {
    m_menu = ::CreateMenu();
    HMENU current = nullptr;
    UINT topPosition = 0;
    UINT position = 0;
    for (const panel::MenuInfo& info : panel::MenuCatalogue()) {
        const auto i = static_cast<std::size_t>(info.menu);
        const auto id = static_cast<UINT_PTR>(MenuCommand(info.menu));
        if (info.topLevel) {
            // A top-level item with no items under it (AcercaDe) is clicked directly.
            if (info.menu == panel::Menu::AcercaDe) {
                ::AppendMenuW(m_menu, MF_STRING, id, L"");
            } else {
                current = ::CreatePopupMenu();
                ::AppendMenuW(m_menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(current),
                              L"");
                position = 0;
            }
            m_menuOwner[i] = m_menu;
            m_menuPosition[i] = topPosition++;
            continue;
        }
        ::AppendMenuW(current, info.separator ? MF_SEPARATOR : MF_STRING, id, L"");
        m_menuOwner[i] = current;
        m_menuPosition[i] = position++;
    }
}

void Kerbview_Form::SyncMenus() {
    const panel::PanelModel& model = m_program.Panel();
    if (m_menusSynced && model.Revision() == m_menusSeen) return;
    const panel::PanelChanges changes = model.ChangedSince(m_menusSeen);
    bool changed = false;
    for (std::size_t i = 0; i < panel::kMenuCount; ++i) {
        const auto m = static_cast<panel::Menu>(i);
        if (m_menusSynced && !changes.menus[i]) continue;
        const panel::MenuState& s = model.MenuAt(m);
        std::wstring caption = Wide(s.caption);
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_STATE;
        item.fState =
            (s.checked ? MFS_CHECKED : MFS_UNCHECKED) | (s.enabled ? MFS_ENABLED : MFS_GRAYED);
        if (!panel::Info(m).separator) {
            item.fMask |= MIIM_STRING;
            item.dwTypeData = caption.data();
        }
        ::SetMenuItemInfoW(m_menuOwner[i], m_menuPosition[i], TRUE, &item);
        changed = true;
    }
    m_menusSeen = model.Revision();
    m_menusSynced = true;
    if (changed && m_window != nullptr) ::DrawMenuBar(m_window);
}

void Kerbview_Form::PostSync() {
    if (m_syncPosted || m_window == nullptr) return;
    m_syncPosted = true;
    ::PostMessageW(m_window, kSyncMessage, 0, 0);
}

void Kerbview_Form::Show() {
    ::ShowWindow(m_window, SW_SHOWNORMAL);
    m_shown = true;
    Resized();
    ::UpdateWindow(m_window);
}

app::WindowSize Kerbview_Form::Size() const {
    RECT outer{};
    RECT client{};
    ::GetWindowRect(m_window, &outer);
    ::GetClientRect(m_window, &client);
    const double tpp = TwipsPerPixel();
    return {(outer.right - outer.left) * tpp, (outer.bottom - outer.top) * tpp, client.right * tpp,
            client.bottom * tpp};
}

std::pair<double, double> Kerbview_Form::NormalPosition() const {
    RECT r{};
    if (::IsIconic(m_window) || ::IsZoomed(m_window)) {
        // The normal place is kept in the coordinates of the work area.
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        ::GetWindowPlacement(m_window, &placement);
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        ::GetMonitorInfoW(::MonitorFromRect(&placement.rcNormalPosition, MONITOR_DEFAULTTONEAREST),
                          &info);
        r = placement.rcNormalPosition;
        ::OffsetRect(&r, info.rcWork.left - info.rcMonitor.left,
                     info.rcWork.top - info.rcMonitor.top);
    } else {
        ::GetWindowRect(m_window, &r);
    }
    const double tpp = TwipsPerPixel();
    return {r.left * tpp, r.top * tpp};
}

void Kerbview_Form::Move(std::int32_t left, std::int32_t top) {
    const double tpp = TwipsPerPixel();
    ::SetWindowPos(m_window, nullptr, Pixels(left, tpp), Pixels(top, tpp), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Kerbview_Form::SetTimerInterval(int milliseconds) {
    m_interval = milliseconds;
    SetTimerEnabled(milliseconds > 0);
}

void Kerbview_Form::SetTimerEnabled(bool enabled) {
    if (m_window == nullptr) return;
    if (enabled && m_interval > 0 && !m_unloaded) {
        ::SetTimer(m_window, kTimer1, static_cast<UINT>(m_interval), nullptr);
        m_timerRunning = true;
    } else if (m_timerRunning) {
        ::KillTimer(m_window, kTimer1);
        m_timerRunning = false;
    }
}

UINT_PTR Kerbview_Form::Every(UINT milliseconds, std::function<void()> action) {
    const UINT_PTR id = m_nextEvery++;
    m_every[id] = std::move(action);
    ::SetTimer(m_window, id, milliseconds, nullptr);
    return id;
}

void Kerbview_Form::StopEvery(UINT_PTR id) {
    if (m_window != nullptr) ::KillTimer(m_window, id);
    m_every.erase(id);
}

void Kerbview_Form::Close() {
    if (m_window != nullptr) ::SendMessageW(m_window, WM_CLOSE, 0, 0);
}

void Kerbview_Form::Destroy() {
    if (m_window != nullptr) ::DestroyWindow(m_window);
}

bool Kerbview_Form::SaveSnapshot(const std::filesystem::path& file) {
    RECT client{};
    ::GetClientRect(m_window, &client);
    const Dib shot(client.right, client.bottom);
    if (!shot) return false;
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ old = ::SelectObject(dc, shot.bitmap);
    m_view.PrintClient(dc);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return m_pictures.SavePng(shot, file);
}

std::optional<panel::OuterSize> Kerbview_Form::AvailableOuterSize() const {
    const RECT work = WorkArea(m_window);
    if (work.right <= work.left || work.bottom <= work.top) return std::nullopt;
    const double tpp = TwipsPerPixel();
    return panel::OuterSize{(work.right - work.left) * tpp, (work.bottom - work.top) * tpp};
}

// A window that grew past the edge of its screen's work area moves back in, the least distance
// (the placement rule of the side windows, centred on the window itself).
void Kerbview_Form::KeepOnScreen() {
    RECT r{};
    ::GetWindowRect(m_window, &r);
    const RECT work = WorkArea(m_window);
    const std::int64_t width = r.right - r.left;
    const std::int64_t height = r.bottom - r.top;
    const panel::DesktopPoint at = panel::SideWindowPosition(
        panel::SidePlace::Centred, {r.left, r.top, width, height}, width, height,
        {work.left, work.top, work.right - work.left, work.bottom - work.top});
    if (at.x != r.left || at.y != r.top) {
        ::SetWindowPos(m_window, nullptr, static_cast<int>(at.x), static_cast<int>(at.y), 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Kerbview_Form::Resized() {
    if (!m_shown || m_window == nullptr) return;
    const panel::WindowState state = ::IsIconic(m_window)   ? panel::WindowState::Minimized
                                     : ::IsZoomed(m_window) ? panel::WindowState::Maximized
                                                            : panel::WindowState::Normal;
    RECT outer{};
    ::GetWindowRect(m_window, &outer);
    const double tpp = TwipsPerPixel();
    const panel::ResizeAction action =
        m_program.Resize(state, (outer.right - outer.left) * tpp, (outer.bottom - outer.top) * tpp,
                         AvailableOuterSize());
    if (action.resizeTo) {
        ++m_resizeDepth;
        ::SetWindowPos(m_window, nullptr, 0, 0, Pixels(action.resizeTo->width, tpp),
                       Pixels(action.resizeTo->height, tpp),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        --m_resizeDepth;
    }
    if (action.scale) {
        RECT client{};
        ::GetClientRect(m_window, &client);
        m_program.ScaleElements(client.right * tpp, client.bottom * tpp,
                                [this](panel::Element e, const panel::ScaledGeometry& g) {
                                    m_view.Place(e, g.left, g.top, g.width, g.height, g.fontSize);
                                });
    }
    if (action.resizeTo && m_resizeDepth == 0) KeepOnScreen();
}

// While the user drags an edge, the rectangle the drag proposes gets the size the resize handler
// would give the window afterwards, on the dragged side, so that the window follows the pointer
// in its proportions instead of taking the dragged size and then its own.
void Kerbview_Form::KeepProportions(WPARAM edge, RECT& r) {
    if (!m_shown || ::IsIconic(m_window) || ::IsZoomed(m_window)) return;
    const double tpp = TwipsPerPixel();
    const panel::ResizeAction action =
        m_program.Resize(panel::WindowState::Normal, (r.right - r.left) * tpp,
                         (r.bottom - r.top) * tpp, AvailableOuterSize());
    if (!action.resizeTo) return;
    const int width = Pixels(action.resizeTo->width, tpp);
    const int height = Pixels(action.resizeTo->height, tpp);
    if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT) {
        r.left = r.right - width;
    } else {
        r.right = r.left + width;
    }
    if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) {
        r.top = r.bottom - height;
    } else {
        r.bottom = r.top + height;
    }
}

LRESULT CALLBACK Kerbview_Form::WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<Kerbview_Form*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        self->m_window = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Kerbview_Form*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(window, message, w, l);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_window = nullptr;
        return ::DefWindowProcW(window, message, w, l);
    }
    return self->Handle(message, w, l);
}

LRESULT Kerbview_Form::Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_PAINT: m_view.Paint(); return 0;
        case WM_PRINTCLIENT: m_view.PrintClient(reinterpret_cast<HDC>(w)); return 0;
        case WM_ERASEBKGND: return 1;  // every pixel comes from the back buffer
        case WM_SIZE: Resized(); return 0;
        case WM_DISPLAYCHANGE: m_view.ScreenChanged(); break;
        case WM_SIZING: KeepProportions(w, *reinterpret_cast<RECT*>(l)); return TRUE;
        case WM_DPICHANGED: {
            m_view.SetDpi(LOWORD(w));
            const RECT& suggested = *reinterpret_cast<const RECT*>(l);
            ++m_resizeDepth;  // the suggested place is on the new screen already
            ::SetWindowPos(m_window, nullptr, suggested.left, suggested.top,
                           suggested.right - suggested.left, suggested.bottom - suggested.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            --m_resizeDepth;
            Resized();
            return 0;
        }
        case WM_TIMER:
            if (w == kTimer1) {
                m_program.Tick();
            } else if (w == kFrameTimer) {
                m_view.OnFrameTimer();
            } else if (auto it = m_every.find(w); it != m_every.end()) {
                const std::function<void()> action = it->second;  // it may stop its timer
                action();
            }
            return 0;
        case WM_COMMAND: {
            panel::Menu item{};
            if (HIWORD(w) <= 1 && MenuOfCommand(LOWORD(w), item) &&
                m_menuOwner[static_cast<std::size_t>(item)] != nullptr &&
                !panel::Info(item).separator &&
                (!panel::Info(item).topLevel || item == panel::Menu::AcercaDe) &&
                m_program.Panel().MenuAt(item).enabled) {
                // The check mark belongs to the program: the click only asks for the change.
                m_program.MenuClick(item);
            }
            return 0;
        }
        case kSyncMessage:
            m_syncPosted = false;
            if (m_onSync) m_onSync();
            return 0;
        case WM_SETCURSOR: {
            POINT at{};
            ::GetCursorPos(&at);
            ::ScreenToClient(m_window, &at);
            if (LOWORD(l) == HTCLIENT && m_view.OnLogo(at)) {
                ::SetCursor(SystemCursor(IDC_HAND));
                return TRUE;
            }
            break;
        }
        case WM_LBUTTONDOWN: {
            const POINT at{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
            if (m_view.OnLogo(at)) {
                ::ShellExecuteW(m_window, L"open", WideFromUtf8(app::kCommunityWebSite).c_str(),
                                nullptr, nullptr, SW_SHOWNORMAL);
            }
            return 0;
        }
        case WM_CLOSE:
            // The unload runs once, whether the close box, Salir or the system closes the window.
            if (!m_unloaded) {
                m_unloaded = true;
                SetTimerEnabled(false);
                m_program.Unload();
            }
            Destroy();
            return 0;
        case WM_DESTROY: ::PostQuitMessage(0); return 0;
        default: break;
    }
    return ::DefWindowProcW(m_window, message, w, l);
}

}  // namespace kerbview::win32
