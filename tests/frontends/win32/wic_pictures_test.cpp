// SPDX-License-Identifier: MIT
#include "frontends/win32/wic_pictures.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kerbview::win32 {
namespace {

namespace fs = std::filesystem;

class WicPicturesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        m_folder =
            fs::temp_directory_path() / ("kerbview-wic-" + std::to_string(::GetCurrentProcessId()));
        fs::create_directories(m_folder);
    }
    void TearDown() override {
        fs::remove_all(m_folder);
        ::CoUninitialize();
    }
    fs::path m_folder;
};

std::uint32_t Pixel(int x, int y) {
    return 0xFF000000u | static_cast<std::uint32_t>(x * 40) << 16 |
           static_cast<std::uint32_t>(y * 50) << 8 | static_cast<std::uint32_t>((x + y) * 9);
}

void Write(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

TEST_F(WicPicturesTest, SavedPanelDecodesToTheSamePixelsAndBrokenFilesDecodeToNothing) {
    WicPictures pictures;
    Dib panel(7, 5);
    ASSERT_TRUE(panel);
    auto* bits = static_cast<std::uint32_t*>(panel.bits);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) bits[y * 7 + x] = Pixel(x, y);
    const fs::path png = m_folder / "panel.png";
    ASSERT_TRUE(pictures.SavePng(panel, png));

    const auto decoded = pictures.Decode(png);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->Width(), 7);
    EXPECT_EQ(decoded->Height(), 5);
    EXPECT_TRUE(decoded->Opaque());
    const Dib same = pictures.Scaled(*decoded, 7, 5);
    ASSERT_TRUE(same);
    EXPECT_EQ(std::memcmp(same.bits, panel.bits, 7 * 5 * 4), 0) << "the pixels and their order";

    std::ifstream in(png, std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const struct {
        const char* name;
        std::string bytes;  // none: the file is not there
        bool exists;
    } broken[] = {
        {"missing.png", "", false},
        {"empty.gif", "", true},
        {"truncated.png", whole.substr(0, whole.size() / 2), true},
        {"text.jpg", "[Cars]\r\nBMW=bmw.gif\r\n", true},
    };
    for (const auto& c : broken) {
        if (c.exists) Write(m_folder / c.name, c.bytes);
        EXPECT_FALSE(pictures.Decode(m_folder / c.name)) << c.name;
    }
}

}  // namespace
}  // namespace kerbview::win32
