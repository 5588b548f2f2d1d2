// SPDX-License-Identifier: MIT
// Counts the frames a program draws into its window, from outside the program, through the X
// DAMAGE extension: one event each time the window's damage goes from empty to non-empty,
// after which the damage is emptied again. Every flush of a frame lands within microseconds, so
// one frame counts once whatever number of rectangles it draws. Any build of any revision can
// be counted the same way.
//   paint_counter PID TITLE OUTFILE
// Waits up to 20 s for a top-level window of process PID titled TITLE, then rewrites OUTFILE
// once a second with "ms=<since start>" and "paints=<frames so far>" until it is stopped.
// The DAMAGE requests are written out here (three of them) instead of taking a development
// package for them.
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <poll.h>
#include <sys/uio.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

xcb_extension_t g_damage = {"DAMAGE", 0};  // xcb keeps the extension's id in it

constexpr std::uint8_t kQueryVersion = 0;
constexpr std::uint8_t kCreate = 1;
constexpr std::uint8_t kSubtract = 3;
constexpr std::uint8_t kReportNonEmpty = 3;

struct QueryVersionRequest {
    std::uint8_t major, minor;
    std::uint16_t length;
    std::uint32_t clientMajor, clientMinor;
};
struct CreateRequest {
    std::uint8_t major, minor;
    std::uint16_t length;
    std::uint32_t damage, drawable;
    std::uint8_t level, pad[3];
};
struct SubtractRequest {
    std::uint8_t major, minor;
    std::uint16_t length;
    std::uint32_t damage, repair, parts;
};

template <typename Request>
unsigned Send(xcb_connection_t* c, std::uint8_t opcode, bool isVoid, Request& request) {
    const xcb_protocol_request_t info = {1, &g_damage, opcode, static_cast<std::uint8_t>(isVoid)};
    iovec parts[3] = {};
    parts[2].iov_base = &request;
    parts[2].iov_len = sizeof request;
    return xcb_send_request(c, isVoid ? 0 : XCB_REQUEST_CHECKED, parts + 2, &info);
}

std::string Title(xcb_connection_t* c, xcb_window_t w) {
    auto* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr);
    std::string title;
    if (reply != nullptr && reply->format == 8) {
        title.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    }
    std::free(reply);
    return title;
}

std::uint32_t Pid(xcb_connection_t* c, xcb_window_t w, xcb_atom_t pidAtom) {
    auto* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    std::uint32_t pid = 0;
    if (reply != nullptr && reply->format == 32 && xcb_get_property_value_length(reply) >= 4) {
        pid = *static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    }
    std::free(reply);
    return pid;
}

xcb_window_t FindWindow(xcb_connection_t* c, xcb_window_t root, std::uint32_t pid,
                        const std::string& title) {
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 11, "_NET_WM_PID"), nullptr);
    const xcb_atom_t pidAtom = atom != nullptr ? atom->atom : 0;
    std::free(atom);
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    xcb_window_t found = 0;
    if (tree != nullptr) {
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree) && found == 0; ++i) {
            if (Pid(c, children[i], pidAtom) == pid && Title(c, children[i]) == title) {
                found = children[i];
            }
        }
    }
    std::free(tree);
    return found;
}

void Write(const char* path, long long ms, unsigned long long paints) {
    const std::string temporary = std::string(path) + ".new";
    std::ofstream(temporary) << "ms=" << ms << "\npaints=" << paints << "\n";
    std::rename(temporary.c_str(), path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: paint_counter PID TITLE OUTFILE\n");
        return 2;
    }
    const auto pid = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
    const std::string title = argv[2];
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) != 0) {
        std::fprintf(stderr, "paint_counter: no X display\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const auto elapsedMs = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start)
            .count();
    };
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_window_t window = 0;
    while ((window = FindWindow(c, root, pid, title)) == 0 && elapsedMs() < 20000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(c, &g_damage);
    if (window == 0 || damage == nullptr || !damage->present) {
        std::fprintf(stderr, "paint_counter: %s\n",
                     window == 0 ? "no such window" : "no DAMAGE extension");
        return 1;
    }
    QueryVersionRequest version = {0, 0, 0, 1, 1};
    std::free(xcb_wait_for_reply(c, Send(c, kQueryVersion, false, version), nullptr));
    const std::uint32_t id = xcb_generate_id(c);
    CreateRequest create = {0, 0, 0, id, window, kReportNonEmpty, {}};
    Send(c, kCreate, true, create);
    xcb_flush(c);

    unsigned long long paints = 0;
    long long written = 0;
    Write(argv[3], elapsedMs(), paints);
    pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
    while (xcb_connection_has_error(c) == 0) {
        ::poll(&p, 1, 100);
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            if ((event->response_type & 0x7F) == damage->first_event) {
                ++paints;
                SubtractRequest subtract = {0, 0, 0, id, 0, 0};
                Send(c, kSubtract, true, subtract);
            }
            std::free(event);
        }
        xcb_flush(c);
        if (elapsedMs() - written >= 1000) {
            written = elapsedMs();
            Write(argv[3], written, paints);
        }
    }
    return 0;
}
