// SPDX-License-Identifier: MIT
#include "frontends/win32/dashboard_host.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace kerbview::win32 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class DashboardHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        m_folder = fs::temp_directory_path() /
                   ("kerbview-dashboard-" + std::to_string(::GetCurrentProcessId()));
        fs::create_directories(m_folder);
        m_pictures = std::make_unique<WicPictures>();
    }
    void TearDown() override {
        m_pictures.reset();
        fs::remove_all(m_folder);
        ::CoUninitialize();
    }
    // A w x h picture, opaque, or transparent on its left half.
    void Make(const fs::path& file, int w, int h, bool clearLeft, bool jpeg) const {
        Dib dib(w, h);
        auto* bits = static_cast<std::uint32_t*>(dib.bits);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                bits[y * w + x] =
                    clearLeft && x < w / 2 ? 0u : 0xFF000000u | (x % 256) << 16 | (y % 256) << 8;
            }
        }
        const auto picture = m_pictures->FromDib(dib);
        ASSERT_TRUE(picture);
        std::ofstream(file, std::ios::binary)
            << (jpeg ? m_pictures->EncodeJpeg(*picture, 0.9F) : m_pictures->EncodePng(*picture));
    }
    // The size and opacity of an encoded body, decoded again.
    std::string Decoded(const std::string& body) const {
        const fs::path file = m_folder / "body";
        std::ofstream(file, std::ios::binary) << body;
        const auto picture = m_pictures->Decode(file);
        if (!picture) return "nothing";
        return std::to_string(picture->Width()) + "x" + std::to_string(picture->Height()) +
               (picture->Opaque() ? " opaque" : " see-through");
    }
    fs::path m_folder;
    std::unique_ptr<WicPictures> m_pictures;  // made once COM is initialised
};

// Image1's place is 185 x 317 pixels, Picture1's 100 x 51: a browser gets at most twice that.
TEST_F(DashboardHostTest, PhotosComeAsSmallJpegsTransparencyAndDrawingsAsPngVanishedAsNothing) {
    Make(m_folder / "photo.jpg", 3000, 2000, false, true);
    Make(m_folder / "clear.png", 40, 30, true, false);
    Make(m_folder / "gone.png", 40, 30, false, false);
    fs::remove(m_folder / "gone.png");
    DashboardHost host;
    const struct {
        panel::Element e;
        std::string file;
        const char* type;
        const char* decoded;
    } cases[] = {
        {panel::Element::Image1, "photo.jpg", "image/jpeg", "370x246 opaque"},
        {panel::Element::Image2, "clear.png", "image/png", "40x30 see-through"},
        {panel::Element::Image1, "", "image/png", "370x634 see-through"},  // the car
        {panel::Element::Picture1, "", "image/png", "200x102 opaque"},     // the logo
        {panel::Element::Image2, "", "", "nothing"},
        {panel::Element::Image2, "gone.png", "", "nothing"},
        {panel::Element::Label1, "photo.jpg", "", "nothing"},
    };
    for (const auto& c : cases) {
        const std::string file = c.file.empty() ? "" : (m_folder / c.file).string();
        const auto [body, type] = host.Picture(c.e, file);
        EXPECT_EQ(type, c.type) << c.file;
        EXPECT_EQ(Decoded(body), c.decoded) << c.file;
    }
}

TEST_F(DashboardHostTest, PollsFromTheMessageLoopUntilStoppedFromWithinThePoll) {
    DashboardHost host;
    int calls = 0;
    host.StartPolling(10ms, [&] {
        if (++calls == 3) host.StopPolling();
    });
    for (const DWORD end = ::GetTickCount() + 400; ::GetTickCount() < end;) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    EXPECT_EQ(calls, 3);
}

}  // namespace
}  // namespace kerbview::win32
