// SPDX-License-Identifier: MIT
// The WIC picture files and the dashboard host that serves pictures through them.
#include "frontends/win32/dashboard_host.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "core/temp_dir.h"

namespace kerbview::win32 {
namespace {

using namespace std::chrono_literals;

// COM for the test's lifetime, WIC with it, and a folder of picture files.
class PicturesTest : public ::testing::Test {
protected:
    // A w x h picture, opaque, or transparent on its left half.
    void Make(const std::string& name, int w, int h, bool clearLeft, bool jpeg) const {
        Dib dib(w, h);
        auto* bits = static_cast<std::uint32_t*>(dib.bits);
        for (int i = 0; i < w * h; ++i) {
            const int x = i % w, y = i / w;
            bits[i] = clearLeft && x < w / 2 ? 0u : 0xFF000000u | (x % 256) << 16 | (y % 256) << 8;
        }
        const auto picture = m_pictures.FromDib(dib);
        ASSERT_TRUE(picture);
        m_folder.Write(
            name, jpeg ? m_pictures.EncodeJpeg(*picture, 0.9F) : m_pictures.EncodePng(*picture));
    }
    // The size and opacity of an encoded body, decoded again.
    std::string Decoded(const std::string& body) const {
        m_folder.Write("body", body);
        const auto picture = m_pictures.Decode(m_folder.File("body"));
        if (!picture) return "nothing";
        return std::to_string(picture->Width()) + "x" + std::to_string(picture->Height()) +
               (picture->Opaque() ? " opaque" : " see-through");
    }
    struct Com {
        Com() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
        ~Com() { ::CoUninitialize(); }
    } m_com;  // first made, last gone
    core::testing::TempDir m_folder;
    WicPictures m_pictures;
};

TEST_F(PicturesTest, SavedPanelDecodesToTheSamePixelsAndBrokenFilesDecodeToNothing) {
    Dib panel(7, 5);
    ASSERT_TRUE(panel);
    auto* bits = static_cast<std::uint32_t*>(panel.bits);
    // Opaque pixels all different, so that a mixed order or channel shows.
    for (std::uint32_t i = 0; i < 7 * 5; ++i) bits[i] = 0xFF000000u | (i % 7) << 16 | i * 1237;
    ASSERT_TRUE(m_pictures.SavePng(panel, m_folder.File("panel.png")));

    const auto decoded = m_pictures.Decode(m_folder.File("panel.png"));
    ASSERT_TRUE(decoded);
    const Dib same = m_pictures.Scaled(*decoded, 7, 5);
    ASSERT_TRUE(same);
    EXPECT_EQ(std::memcmp(same.bits, panel.bits, 7 * 5 * 4), 0) << "the pixels and their order";

    const std::string whole = m_folder.Read("panel.png");
    m_folder.Write("empty.gif", "");
    m_folder.Write("truncated.png", whole.substr(0, whole.size() / 2));
    m_folder.Write("text.jpg", "[Cars]\r\nBMW=bmw.gif\r\n");
    for (const char* name : {"missing.png", "empty.gif", "truncated.png", "text.jpg"}) {
        EXPECT_FALSE(m_pictures.Decode(m_folder.File(name))) << name;
    }
}

// Image1's place is 185 x 317 pixels, Picture1's 100 x 51: a browser gets at most twice that.
TEST_F(PicturesTest, PhotosComeAsSmallJpegsTransparencyAndDrawingsAsPngVanishedAsNothing) {
    Make("photo.jpg", 3000, 2000, false, true);
    Make("clear.png", 40, 30, true, false);
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
        const auto [body, type] =
            host.Picture(c.e, c.file.empty() ? "" : m_folder.File(c.file).string());
        EXPECT_EQ(type, c.type) << c.file;
        EXPECT_EQ(Decoded(body), c.decoded) << c.file;
    }
}

TEST(DashboardHost, PollsFromTheMessageLoopUntilStoppedFromWithinThePoll) {
    DashboardHost host;
    int calls = 0;
    host.StartPolling(10ms, [&] {
        if (++calls == 3) host.StopPolling();
    });
    for (const DWORD end = ::GetTickCount() + 400; ::GetTickCount() < end;) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageW(&msg);
    }
    EXPECT_EQ(calls, 3);
}

}  // namespace
}  // namespace kerbview::win32
