// SPDX-License-Identifier: MIT
#include "frontends/win32/dashboard_host.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "frontends/win32/builtin_pictures.h"
#include "frontends/win32/message_only_window.h"
#include "frontends/win32/panel_painter.h"
#include "frontends/win32/wide_text.h"

namespace kerbview::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"KerbviewDashboardHost";
constexpr UINT_PTR kPollTimer = 1;

SIZE LargestSize(panel::Element e) {
    const web::PixelSize size = web::LargestPictureSize(e);
    return {size.width, size.height};
}

}  // namespace

DashboardHost::DashboardHost() {
    m_window = CreateMessageOnlyWindow(kWindowClass, &DashboardHost::WindowProc, this);
    if (m_window == nullptr) {
        throw std::runtime_error("dashboard window: error " + std::to_string(::GetLastError()));
    }
}

DashboardHost::~DashboardHost() {
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
    ::DestroyWindow(m_window);
}

LRESULT CALLBACK DashboardHost::WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<DashboardHost*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_TIMER && w == kPollTimer && self != nullptr) {
        // Called from a copy: the call may stop or replace the polling.
        if (const std::function<void()> poll = self->m_poll) poll();
        return 0;
    }
    return ::DefWindowProcW(window, message, w, l);
}

void DashboardHost::StartPolling(std::chrono::milliseconds interval, std::function<void()> poll) {
    m_poll = std::move(poll);
    const auto ms = std::clamp<std::chrono::milliseconds::rep>(interval.count(), USER_TIMER_MINIMUM,
                                                               USER_TIMER_MAXIMUM);
    ::SetTimer(m_window, kPollTimer, static_cast<UINT>(ms), nullptr);
}

void DashboardHost::StopPolling() {
    ::KillTimer(m_window, kPollTimer);
    m_poll = nullptr;
}

web::DashboardLook DashboardHost::Look(core::ColourNumber panelColour) {
    const PanelSystemColours colours;
    web::DashboardLook look;
    look.panel = panelColour;
    look.windowText = colours.windowText;
    look.highlight = colours.highlight;
    look.lampFace = colours.lampFace;
    look.lampText = colours.lampText;
    look.lampDarkText = colours.lampDarkText;
    return look;
}

std::pair<std::string, std::string> DashboardHost::Picture(panel::Element e,
                                                           const std::string& file) {
    const std::optional<std::size_t> slot = web::PictureSlot(e);
    if (!slot) return {};
    Encoded& entry = m_encoded[*slot];
    if (!entry.done || entry.file != file) {
        entry = Encoded{true, file, {}, {}};
        const SIZE largest = LargestSize(e);
        std::shared_ptr<win32::Picture> picture;
        if (file.empty()) {
            if (web::HasBuiltinPicture(e)) {
                picture = m_pictures.FromDib(BuiltinPicture(e, largest.cx, largest.cy));
            }
        } else {
            picture = m_pictures.DecodeWithin(std::filesystem::path(WideFromUtf8(file)), largest.cx,
                                              largest.cy);
        }
        if (picture) {
            // A photograph compresses far better as JPEG; transparency needs PNG, and so do
            // the sharp edges of the drawings.
            const bool png = file.empty() || !picture->Opaque();
            entry.body =
                png ? m_pictures.EncodePng(*picture) : m_pictures.EncodeJpeg(*picture, 0.85F);
            if (!entry.body.empty()) entry.type = png ? "image/png" : "image/jpeg";
        }
    }
    return {entry.body, entry.type};
}

}  // namespace kerbview::win32
