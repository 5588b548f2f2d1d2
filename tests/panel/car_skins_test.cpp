// SPDX-License-Identifier: MIT
#include "panel/car_skins.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/path_text.h"
#include "core/temp_dir.h"

namespace kerbview::panel {
namespace {

namespace fs = std::filesystem;

// Loads only files that exist, as the front end's decoder would, and remembers every request.
class FakeLoader : public PictureLoader {
public:
    bool LoadInto(Element e, const std::string& name) override {
        const fs::path path = core::PathFromUtf8(name);
        requests.emplace_back(e, path);
        if (throws) throw std::runtime_error("decoder");
        if (!fs::exists(path)) return false;
        shown[e] = path;
        return true;
    }
    std::vector<std::pair<Element, fs::path>> requests;
    std::map<Element, fs::path> shown;
    bool throws = false;
};

class CarSkinsTest : public testing::Test {
protected:
    const fs::path& Folder() const { return dir.Path(); }
    void WriteTable(const std::string& text) const { dir.Write("carskins.ini", text); }
    fs::path AddPicture(const std::string& name) const {
        fs::create_directories(dir.Path() / "carskins");
        core::testing::WriteBytes(dir.Path() / "carskins" / name, "GIF89a");
        return dir.Path() / "carskins" / name;
    }

    core::testing::TempDir dir;
};

// After a picture is shown, a car (or a table) that gives none loads nothing and keeps it.
TEST_F(CarSkinsTest, KeyMatchesIgnoringLetterCaseAndACarWithoutAPictureKeepsThePrevious) {
    const fs::path a = AddPicture("a.jpg");
    const std::string table = "[Cars]\r\nBMW 320si = a.jpg\r\nCar B=-1\r\n";
    // The table for the next car (empty: none) and that car.
    const std::pair<std::string, const char*> cases[] = {{table, "Car B"}, {"", "BMW 320si"}};
    for (const auto& [nextTable, car] : cases) {
        SCOPED_TRACE(nextTable + "|" + car);
        WriteTable(table);
        CarSkins skins;
        FakeLoader loader;
        ASSERT_TRUE(skins.NeedsUpdate("bmw 320SI"));
        skins.Update("bmw 320SI", Folder(), loader);
        EXPECT_EQ(loader.shown[Element::Image1], a);
        EXPECT_FALSE(skins.NeedsUpdate("bmw 320SI"));
        WriteTable(nextTable);
        if (nextTable.empty()) fs::remove(dir.File("carskins.ini"));
        skins.Update(car, Folder(), loader);
        EXPECT_EQ(loader.requests.size(), 1u);
        EXPECT_EQ(loader.shown[Element::Image1], a);
        EXPECT_EQ(skins.SkinCar(), car);
    }
}

TEST_F(CarSkinsTest, DefaultPicturesLoadInOrderAndNoDecoderFailureEscapes) {
    FakeLoader loader;
    LoadDefaultPictures(Folder(), loader);
    const std::vector<std::pair<Element, fs::path>> expected = {
        {Element::Image1, Folder() / "CarSkin.gif"}, {Element::Image2, Folder() / "pdSkin.jpg"}};
    EXPECT_EQ(loader.requests, expected);

    AddPicture("a.jpg");
    WriteTable("[Cars]\nCar A=a.jpg\n");
    loader.throws = true;
    CarSkins skins;
    EXPECT_NO_THROW(LoadDefaultPictures(Folder(), loader));
    EXPECT_NO_THROW(skins.Update("Car A", Folder(), loader));
    EXPECT_EQ(loader.requests.size(), 5u);
    EXPECT_EQ(skins.SkinCar(), "Car A");
}

TEST(CarSkinPaths, ValuesCannotLeaveTheCarskinsFolder) {
    // "\361" is an n with a tilde in Windows-1252, "\303\261" the same letter in UTF-8.
    const std::pair<const char*, std::optional<fs::path>> cases[] = {
        {"a.jpg", "/p/carskins/a.jpg"},
        {"Pe\361a.jpg", core::PathFromUtf8("/p/carskins/Pe\303\261a.jpg")},
        {"GT\\bmw.gif", "/p/carskins/GT/bmw.gif"},
        {"GT/../a.jpg", "/p/carskins/a.jpg"},
        {"-1", std::nullopt},
        {"../Kerbview.ini", std::nullopt},
        {"..\\..\\etc\\passwd", std::nullopt},
        {"GT/../../a.jpg", std::nullopt},
        {"/etc/passwd", std::nullopt},
        {"GT/..", std::nullopt}};
    for (const auto& [value, path] : cases) {
        EXPECT_EQ(CarSkinPicturePath("/p", value), path) << value;
    }
}

}  // namespace
}  // namespace kerbview::panel
