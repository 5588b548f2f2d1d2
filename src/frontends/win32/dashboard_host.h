// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <utility>

#include "frontends/win32/wic_pictures.h"
#include "web/dashboard_server.h"

namespace kerbview::win32 {

/// What the Win32 front end lends the web dashboard's server: the repeating call from a timer of
/// a message-only window of its own (so it runs on the thread of the message loop, at the
/// granularity of Windows' timers), the desktop's colours the panel painter uses, and the
/// pictures through WIC. COM must be initialised on the calling thread (main does it).
class DashboardHost final : public web::DashboardHost {
public:
    /// Throws std::runtime_error when Windows refuses the window.
    DashboardHost();
    ~DashboardHost() override;
    DashboardHost(const DashboardHost&) = delete;
    DashboardHost& operator=(const DashboardHost&) = delete;

    /// poll may stop or replace the polling while it runs.
    void StartPolling(std::chrono::milliseconds interval, std::function<void()> poll) override;
    void StopPolling() override;
    web::DashboardLook Look(core::ColourNumber panelColour) override;
    /// A photograph comes as JPEG of quality 85, a picture that lets anything show through and
    /// the built-in drawings as PNG. Encoded once per element and file.
    std::pair<std::string, std::string> Picture(panel::Element e, const std::string& file) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l);

    struct Encoded {
        bool done = false;
        std::string file;
        std::string body;
        std::string type;
    };

    HWND m_window = nullptr;
    std::function<void()> m_poll;
    WicPictures m_pictures;
    std::array<Encoded, web::kPictureSlots> m_encoded;
};

}  // namespace kerbview::win32
