// SPDX-License-Identifier: MIT
#include "telemetry/window_finder.h"

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/ascii_case.h"

namespace kerbview::telemetry {

namespace {

// Titles are compared byte by byte, ASCII letters without regard to case.
bool SameTitle(std::string_view a, std::string_view b) {
    return core::EqualsIgnoringAsciiCase(a, b);
}

// Searches the X display named by DISPLAY through a connection of its own, so that errors
// arrive as replies here and never reach another toolkit's handlers. Without a display, or
// after the connection broke, every search finds nothing; the next call connects again.
//
// The server is asked only when the desktop has changed: the finder listens to the root
// windows (windows created, destroyed or reparented; the window manager's client list) and to
// every window its search looked at (title changes, windows below it), and keeps the window it
// found while that window lives and keeps its title. A call with nothing changed reads the
// pending events without waiting and makes no round trip to the server. A window passed over is
// forgotten when the event of its destruction arrives.
class XcbWindowFinder final : public WindowFinder {
public:
    XcbWindowFinder() = default;
    ~XcbWindowFinder() override { Disconnect(); }
    XcbWindowFinder(const XcbWindowFinder&) = delete;
    XcbWindowFinder& operator=(const XcbWindowFinder&) = delete;

    WindowId FindWindow(std::string_view title) override;
    void PassOver(WindowId window) override;
    std::uint32_t WindowProcessId(WindowId window) override;

private:
    enum Atom { NetClientList, NetWmName, Utf8String, NetWmPid, AtomCount };

    bool Connect();
    void Disconnect();
    // Reads the events that have arrived, without waiting, and notes what they change.
    void ReadEvents();
    xcb_window_t Search(std::string_view title);
    // Asks for the events that tell of changes to the windows (see the class comment); sent
    // before their titles or children are read, so no change after the reading goes unseen.
    void Watch(const std::vector<xcb_window_t>& windows);
    std::vector<xcb_window_t> Children(const std::vector<xcb_window_t>& parents);
    std::vector<xcb_window_t> ClientList(xcb_window_t root);
    // Titles of the windows, in order; nullopt for a window without any title property.
    std::vector<std::optional<std::string>> Titles(const std::vector<xcb_window_t>& windows);

    xcb_connection_t* m_connection = nullptr;
    std::array<xcb_atom_t, AtomCount> m_atoms{};
    // The window the last search found, for the title searched; 0 for none.
    xcb_window_t m_lastFound = 0;
    std::string m_searched;
    // The desktop may hold another answer than the last search gave.
    bool m_desktopChanged = true;
    // The found window was destroyed, or its title changed.
    bool m_foundGone = false;
    bool m_foundRetitled = false;
    // Windows the search skips, until they are destroyed.
    std::unordered_set<xcb_window_t> m_passedOver;
};

bool XcbWindowFinder::Connect() {
    if (m_connection != nullptr && xcb_connection_has_error(m_connection) == 0) {
        return true;
    }
    Disconnect();
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return false;
    }
    m_connection = xcb_connect(display, nullptr);
    if (xcb_connection_has_error(m_connection) != 0) {
        Disconnect();
        return false;
    }
    static constexpr std::array<std::string_view, AtomCount> names = {
        "_NET_CLIENT_LIST", "_NET_WM_NAME", "UTF8_STRING", "_NET_WM_PID"};
    std::array<xcb_intern_atom_cookie_t, AtomCount> cookies{};
    for (std::size_t i = 0; i < names.size(); ++i) {
        cookies[i] = xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(names[i].size()),
                                     names[i].data());
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        xcb_generic_error_t* error = nullptr;
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(m_connection, cookies[i], &error);
        m_atoms[i] = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        std::free(error);
    }
    std::vector<xcb_window_t> roots;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(m_connection)); it.rem > 0;
         xcb_screen_next(&it)) {
        roots.push_back(it.data->root);
    }
    Watch(roots);
    xcb_flush(m_connection);
    if (xcb_connection_has_error(m_connection) != 0) {
        Disconnect();
        return false;
    }
    m_desktopChanged = true;
    return true;
}

void XcbWindowFinder::Disconnect() {
    m_lastFound = 0;
    // A new connection hears of no destruction of these: they would be skipped for good.
    m_passedOver.clear();
    if (m_connection != nullptr) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
    }
}

void XcbWindowFinder::Watch(const std::vector<xcb_window_t>& windows) {
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                               XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    for (xcb_window_t window : windows) {
        xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &mask);
    }
}

void XcbWindowFinder::ReadEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        switch (event->response_type & 0x7F) {
            case XCB_CREATE_NOTIFY:
            case XCB_REPARENT_NOTIFY: m_desktopChanged = true; break;
            case XCB_DESTROY_NOTIFY: {
                const auto* destroyed = reinterpret_cast<xcb_destroy_notify_event_t*>(event);
                m_foundGone |= destroyed->window == m_lastFound;
                m_passedOver.erase(destroyed->window);
                m_desktopChanged = true;
                break;
            }
            case XCB_PROPERTY_NOTIFY: {
                const auto* changed = reinterpret_cast<xcb_property_notify_event_t*>(event);
                if (changed->atom == XCB_ATOM_WM_NAME || changed->atom == m_atoms[NetWmName]) {
                    m_foundRetitled |= changed->window == m_lastFound;
                    m_desktopChanged = true;
                } else if (changed->atom == m_atoms[NetClientList]) {
                    m_desktopChanged = true;
                }
                break;
            }
            default: break;  // moves, mapping, and errors for windows that are gone
        }
        std::free(event);
    }
}

std::vector<xcb_window_t> XcbWindowFinder::Children(const std::vector<xcb_window_t>& parents) {
    std::vector<xcb_query_tree_cookie_t> cookies;
    cookies.reserve(parents.size());
    for (xcb_window_t parent : parents) {
        cookies.push_back(xcb_query_tree(m_connection, parent));
    }
    std::vector<xcb_window_t> children;
    for (auto cookie : cookies) {
        xcb_generic_error_t* error = nullptr;
        xcb_query_tree_reply_t* reply = xcb_query_tree_reply(m_connection, cookie, &error);
        if (reply != nullptr) {
            const xcb_window_t* list = xcb_query_tree_children(reply);
            children.insert(children.end(), list, list + xcb_query_tree_children_length(reply));
        }
        std::free(reply);
        std::free(error);
    }
    return children;
}

std::vector<xcb_window_t> XcbWindowFinder::ClientList(xcb_window_t root) {
    std::vector<xcb_window_t> clients;
    if (m_atoms[NetClientList] == XCB_ATOM_NONE) {
        return clients;
    }
    xcb_generic_error_t* error = nullptr;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, 0, root, m_atoms[NetClientList], XCB_ATOM_WINDOW, 0, 4096),
        &error);
    if (reply != nullptr && reply->type == XCB_ATOM_WINDOW && reply->format == 32) {
        const auto* list = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
        clients.assign(list, list + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    std::free(error);
    return clients;
}

std::vector<std::optional<std::string>> XcbWindowFinder::Titles(
    const std::vector<xcb_window_t>& windows) {
    // Titles longer than this cannot equal the searched one; 256 units of 32 bits.
    constexpr std::uint32_t kTitleUnits = 256;
    std::vector<std::array<xcb_get_property_cookie_t, 2>> cookies;
    cookies.reserve(windows.size());
    for (xcb_window_t window : windows) {
        cookies.push_back({xcb_get_property(m_connection, 0, window, m_atoms[NetWmName],
                                            m_atoms[Utf8String], 0, kTitleUnits),
                           xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME,
                                            XCB_GET_PROPERTY_TYPE_ANY, 0, kTitleUnits)});
    }
    std::vector<std::optional<std::string>> titles(windows.size());
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        // _NET_WM_NAME (UTF-8) wins over WM_NAME when both are set.
        for (auto cookie : cookies[i]) {
            xcb_generic_error_t* error = nullptr;
            xcb_get_property_reply_t* reply = xcb_get_property_reply(m_connection, cookie, &error);
            if (!titles[i] && reply != nullptr && reply->type != XCB_ATOM_NONE &&
                reply->format == 8) {
                const auto* text = static_cast<const char*>(xcb_get_property_value(reply));
                std::string value(text,
                                  static_cast<std::size_t>(xcb_get_property_value_length(reply)));
                // A title cut short by the length limit is marked so that it never matches.
                if (reply->bytes_after != 0) {
                    value.push_back('\0');
                }
                titles[i] = std::move(value);
            }
            std::free(reply);
            std::free(error);
        }
    }
    return titles;
}

WindowId XcbWindowFinder::FindWindow(std::string_view title) {
    if (!Connect()) {
        return 0;
    }
    ReadEvents();
    if (title != m_searched) {
        m_searched = std::string(title);
        m_lastFound = 0;
        m_desktopChanged = true;
    }
    // The window found last stays the answer while it lives and keeps the title (of two
    // windows with the title, the one found first stays the answer).
    if (m_lastFound != 0 && m_foundRetitled && !m_foundGone) {
        const auto titles = Titles({m_lastFound});
        m_foundGone = !(titles[0] && SameTitle(*titles[0], title));
    }
    m_foundRetitled = false;
    if (m_lastFound != 0 && !m_foundGone) {
        return m_lastFound;
    }
    m_foundGone = false;
    if (m_lastFound == 0 && !m_desktopChanged) {
        return 0;
    }
    m_lastFound = Search(title);
    return m_lastFound;
}

xcb_window_t XcbWindowFinder::Search(std::string_view title) {
    // Changes from here on arrive as events and call for the next search.
    m_desktopChanged = false;
    std::vector<xcb_window_t> roots;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(m_connection)); it.rem > 0;
         xcb_screen_next(&it)) {
        roots.push_back(it.data->root);
    }

    // Client windows named by the window manager first, then every child of a root window
    // (the top-level windows, or the frames of a reparenting window manager).
    std::vector<xcb_window_t> candidates;
    std::unordered_set<xcb_window_t> seen;
    auto add = [&](const std::vector<xcb_window_t>& windows) {
        for (xcb_window_t w : windows) {
            if (seen.insert(w).second) {
                candidates.push_back(w);
            }
        }
    };
    for (xcb_window_t root : roots) {
        add(ClientList(root));
    }
    add(Children(roots));

    // Up to two levels below an untitled top-level window: frames may nest the client
    // inside a decoration window.
    for (int level = 0; level < 3 && !candidates.empty(); ++level) {
        Watch(candidates);
        const auto titles = Titles(candidates);
        std::vector<xcb_window_t> untitled;
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            if (titles[i] && SameTitle(*titles[i], title)) {
                if (!m_passedOver.contains(candidates[i])) {
                    return candidates[i];
                }
                continue;
            }
            if (!titles[i]) {
                untitled.push_back(candidates[i]);
            }
        }
        candidates.clear();
        if (level < 2) {
            add(Children(untitled));
        }
    }
    return 0;
}

void XcbWindowFinder::PassOver(WindowId window) {
    if (window == 0 || window > 0xFFFFFFFFu || !Connect()) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window);
    // Its destruction is to be heard of, also when it comes right after the check below.
    Watch({id});
    xcb_generic_error_t* error = nullptr;
    xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, id), &error);
    if (reply != nullptr) {
        m_passedOver.insert(id);
        if (m_lastFound == id) {
            m_lastFound = 0;
            m_desktopChanged = true;
        }
    }
    std::free(reply);
    std::free(error);
}

std::uint32_t XcbWindowFinder::WindowProcessId(WindowId window) {
    if (window == 0 || window > 0xFFFFFFFFu || !Connect() || m_atoms[NetWmPid] == XCB_ATOM_NONE) {
        return 0;
    }
    xcb_generic_error_t* error = nullptr;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(m_connection,
                               xcb_get_property(m_connection, 0, static_cast<xcb_window_t>(window),
                                                m_atoms[NetWmPid], XCB_ATOM_CARDINAL, 0, 1),
                               &error);
    std::uint32_t pid = 0;
    if (reply != nullptr && reply->type == XCB_ATOM_CARDINAL && reply->format == 32 &&
        xcb_get_property_value_length(reply) >= 4) {
        pid = *static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    }
    std::free(reply);
    std::free(error);
    return pid;
}

}  // namespace

std::unique_ptr<WindowFinder> MakeWindowFinder() { return std::make_unique<XcbWindowFinder>(); }

}  // namespace kerbview::telemetry
