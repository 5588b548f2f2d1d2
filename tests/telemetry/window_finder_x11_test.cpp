// SPDX-License-Identifier: MIT
// The X11 window search against windows this test creates on the display, laid out as a
// reparenting window manager would lay them out.
#include "telemetry/window_finder.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <string>
#include <thread>

namespace kerbview::telemetry {
namespace {

class Display {
public:
    Display() {
        // A display server that has just lost its last client resets and may refuse for a
        // moment.
        for (int attempt = 0; attempt < 50 && Broken(); ++attempt) {
            xcb_disconnect(c);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            c = xcb_connect(nullptr, nullptr);
        }
    }
    ~Display() { xcb_disconnect(c); }
    bool Broken() const { return xcb_connection_has_error(c) != 0; }
    xcb_window_t Root() const { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

    // A window in parent, titled through WM_NAME when a title is given.
    xcb_window_t Window(xcb_window_t parent, const std::string& title = "") {
        const xcb_window_t id = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, id, parent, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        if (!title.empty()) Text(id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, title);
        return id;
    }
    xcb_atom_t Atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply != nullptr ? reply->atom : 0;
        std::free(reply);
        return atom;
    }
    void Text(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, const std::string& text) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, 8,
                            static_cast<std::uint32_t>(text.size()), text.data());
    }
    void Cardinal(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, std::uint32_t value) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, 32, 1, &value);
    }
    bool HasProperty(xcb_window_t w, xcb_atom_t property) {
        auto* reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1), nullptr);
        const bool has = reply != nullptr && reply->type != XCB_ATOM_NONE;
        std::free(reply);
        return has;
    }
    // Waits until the server has carried out every request sent so far.
    void Sync() { std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
};

// The finder learns of changes from events, which arrive a moment after the change: what it
// finds once the server has carried out the requests so far.
WindowId FindSoon(Display& x, WindowFinder& finder, WindowId expected) {
    x.Sync();
    WindowId found = finder.FindWindow("RACE 07");
    for (int i = 0; i < 100 && found != expected; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        found = finder.FindWindow("RACE 07");
    }
    return found;
}

// Whether a search finishes while the test's connection holds the server: a search that asked
// the server would wait until the grab ends.
bool FindsWithoutAskingTheServer(Display& x, WindowFinder& finder, WindowId expected) {
    xcb_grab_server(x.c);
    x.Sync();
    auto search = std::async(std::launch::async, [&] { return finder.FindWindow("RACE 07"); });
    const bool answered = search.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    xcb_ungrab_server(x.c);
    x.Sync();
    return answered && search.get() == expected;
}

TEST(X11WindowFinderIntegration, FindsWholeTitleInFramesAndClientListButNotLongerTitles) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run the tests under Xvfb";
    Display x;
    ASSERT_FALSE(x.Broken());
    const xcb_atom_t netName = x.Atom("_NET_WM_NAME");
    const xcb_atom_t utf8 = x.Atom("UTF8_STRING");
    const xcb_atom_t clientList = x.Atom("_NET_CLIENT_LIST");
    auto finder = MakeWindowFinder();

    // A longer title is another program, at the top level.
    const xcb_window_t decoy = x.Window(x.Root(), "RACE 07 - Setup");
    // The simulator reparented into an untitled frame, titled through _NET_WM_NAME only.
    const xcb_window_t frame = x.Window(x.Root());
    const xcb_window_t client = x.Window(frame);
    x.Text(client, netName, utf8, "Race 07");
    const std::uint32_t pid = 4321;
    x.Cardinal(client, x.Atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, pid);
    x.Sync();

    const WindowId found = finder->FindWindow("RACE 07");
    EXPECT_EQ(found, client);
    EXPECT_EQ(finder->WindowProcessId(found), pid);
    EXPECT_EQ(finder->WindowProcessId(decoy), 0u) << "a window without _NET_WM_PID";
    EXPECT_TRUE(FindsWithoutAskingTheServer(x, *finder, client)) << "the found window, unchanged";

    // Passed over, the found window hides no other window with the title.
    const xcb_window_t second = x.Window(x.Root(), "RACE 07");
    EXPECT_EQ(FindSoon(x, *finder, client), client);
    finder->PassOver(client);
    EXPECT_EQ(finder->FindWindow("RACE 07"), second);
    xcb_destroy_window(x.c, second);
    EXPECT_EQ(FindSoon(x, *finder, 0), 0u);

    // Renamed, the simulator's window is no longer the answer; another window renamed to the
    // title becomes it.
    x.Text(client, netName, utf8, "Race 07 - paused");
    EXPECT_EQ(FindSoon(x, *finder, 0), 0u);
    EXPECT_TRUE(FindsWithoutAskingTheServer(x, *finder, 0)) << "nothing changed, nothing found";
    x.Text(decoy, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "race 07");
    EXPECT_EQ(FindSoon(x, *finder, decoy), decoy);

    // Gone, and a window made afterwards that takes the title only after it was created.
    xcb_destroy_window(x.c, decoy);
    xcb_destroy_window(x.c, frame);
    EXPECT_EQ(FindSoon(x, *finder, 0), 0u);
    EXPECT_EQ(finder->WindowProcessId(client), 0u) << "a window that is gone";
    const xcb_window_t late = x.Window(x.Root());
    EXPECT_EQ(FindSoon(x, *finder, 0), 0u);
    x.Text(late, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "RACE 07");
    EXPECT_EQ(FindSoon(x, *finder, late), late);
    xcb_destroy_window(x.c, late);
    EXPECT_EQ(FindSoon(x, *finder, 0), 0u);

    // Deep inside decorations, reachable only through the window manager's client list.
    // Only tried without a window manager, whose list this would overwrite.
    if (!x.HasProperty(x.Root(), clientList)) {
        const xcb_window_t outer = x.Window(x.Root());
        const xcb_window_t deep = x.Window(x.Window(x.Window(outer)), "race 07");  // 3 levels down
        x.Cardinal(x.Root(), clientList, XCB_ATOM_WINDOW, deep);
        EXPECT_EQ(FindSoon(x, *finder, deep), deep);
        xcb_delete_property(x.c, x.Root(), clientList);
        xcb_destroy_window(x.c, outer);
        x.Sync();
    }
}

TEST(X11WindowFinder, NoDisplayFindsNothingWithoutFailing) {
    const char* saved = std::getenv("DISPLAY");
    const std::string display = saved != nullptr ? saved : "";
    ::setenv("DISPLAY", ":4711", 1);
    auto finder = MakeWindowFinder();
    EXPECT_EQ(finder->FindWindow("RACE 07"), 0u);
    EXPECT_EQ(finder->WindowProcessId(12345), 0u);
    ::unsetenv("DISPLAY");
    EXPECT_EQ(finder->FindWindow("RACE 07"), 0u);
    if (saved != nullptr) ::setenv("DISPLAY", display.c_str(), 1);
}

}  // namespace
}  // namespace kerbview::telemetry
