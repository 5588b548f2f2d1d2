// SPDX-License-Identifier: MIT
#include "panel/car_skins.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kerbview::panel {
namespace {

namespace fs = std::filesystem;

// Loads only files that exist, as the front end's decoder would, and remembers every request.
class FakeLoader : public PictureLoader {
public:
    bool LoadInto(Element e, const std::string& path) override {
        requests.emplace_back(e, path);
        if (throws) {
            throw std::runtime_error("decoder");
        }
        if (!fs::exists(path)) {
            return false;
        }
        shown[e] = path;
        return true;
    }
    std::vector<std::pair<Element, std::string>> requests;
    std::map<Element, std::string> shown;
    bool throws = false;
};

class CarSkinsTest : public testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("kerbview_carskins_" +
                    std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) +
                    "_" + std::to_string(std::random_device{}()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "carskins");
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string Folder() const { return m_folder.string(); }
    void WriteTable(const std::string& text) const {
        std::ofstream(m_folder / "carskins.ini", std::ios::binary) << text;
    }
    std::string AddPicture(const std::string& name) const {
        std::ofstream(m_folder / "carskins" / name, std::ios::binary) << "GIF89a";
        return Folder() + "/carskins/" + name;
    }

    fs::path m_folder;
};

TEST_F(CarSkinsTest, KeyMatchesIgnoringLetterCaseAndLoadsFromCarskinsFolder) {
    const std::string a = AddPicture("bmw.jpg");
    WriteTable("[Cars]\r\nBMW 320si = bmw.jpg\r\n");
    CarSkins skins;
    FakeLoader loader;
    ASSERT_TRUE(skins.NeedsUpdate("bmw 320SI"));
    skins.Update("bmw 320SI", Folder(), loader);
    EXPECT_EQ(loader.shown[Element::Image1], a);
    EXPECT_EQ(skins.SkinCar(), "bmw 320SI");
    EXPECT_FALSE(skins.NeedsUpdate("bmw 320SI"));
    // The stored name is exact text: another letter case is another car.
    EXPECT_TRUE(skins.NeedsUpdate("BMW 320si"));
}

TEST_F(CarSkinsTest, CarWithoutPictureKeepsThePreviousOne) {
    const std::string a = AddPicture("a.jpg");
    WriteTable("[Cars]\nCar A=a.jpg\nCar B=-1\n");
    struct Case {
        const char* car;
        const char* note;
    };
    const Case cases[] = {{"Car B", "entry -1"}, {"Car C", "no entry"}, {"", "no car name"}};
    for (const Case& c : cases) {
        CarSkins skins;
        FakeLoader loader;
        skins.Update("Car A", Folder(), loader);
        skins.Update(c.car, Folder(), loader);
        EXPECT_EQ(loader.requests.size(), 1u) << c.note;
        EXPECT_EQ(loader.shown[Element::Image1], a) << c.note;
        EXPECT_EQ(skins.SkinCar(), c.car) << c.note;
    }
}

TEST_F(CarSkinsTest, MissingTableOrGarbageTableLoadsNothing) {
    const std::string garbage[] = {
        std::string("\x00\xFF\xFE[Cars\n==\n\x01\x02", 12),
        "Car A=a.jpg\n",           // no section
        "[Autos]\nCar A=a.jpg\n",  // other section
        "[Cars]\nCar A=\n",        // empty value
    };
    AddPicture("a.jpg");
    {
        CarSkins skins;
        FakeLoader loader;
        skins.Update("Car A", Folder(), loader);
        EXPECT_TRUE(loader.requests.empty()) << "no table";
        EXPECT_EQ(skins.SkinCar(), "Car A");
    }
    for (const std::string& table : garbage) {
        WriteTable(table);
        CarSkins skins;
        FakeLoader loader;
        skins.Update("Car A", Folder(), loader);
        EXPECT_TRUE(loader.requests.empty()) << table;
        EXPECT_EQ(skins.SkinCar(), "Car A");
    }
}

TEST_F(CarSkinsTest, FailedPictureIsNotRetriedUntilTheCarChanges) {
    WriteTable("[Cars]\nCar A=missing.jpg\nCar B=-1\n");
    CarSkins skins;
    FakeLoader loader;
    skins.Update("Car A", Folder(), loader);
    EXPECT_EQ(loader.requests.size(), 1u);
    EXPECT_FALSE(skins.NeedsUpdate("Car A"));
    EXPECT_TRUE(loader.shown.empty());

    // Fixing the table while driving the same car changes nothing until the car changes.
    const std::string fixed = AddPicture("missing.jpg");
    skins.Update("Car B", Folder(), loader);
    skins.Update("Car A", Folder(), loader);
    EXPECT_EQ(loader.requests.size(), 2u);
    EXPECT_EQ(loader.shown[Element::Image1], fixed);
}

TEST_F(CarSkinsTest, ThrowingDecoderIsSilentAndStillRecordsTheCar) {
    AddPicture("a.jpg");
    WriteTable("[Cars]\nCar A=a.jpg\n");
    CarSkins skins;
    FakeLoader loader;
    loader.throws = true;
    EXPECT_NO_THROW(skins.Update("Car A", Folder(), loader));
    EXPECT_EQ(skins.SkinCar(), "Car A");
    EXPECT_NO_THROW(LoadDefaultPictures(Folder(), loader));
    EXPECT_EQ(loader.requests.size(), 3u);
}

TEST(CarSkinPaths, ValuesCannotLeaveTheCarskinsFolder) {
    struct Case {
        const char* value;
        std::optional<std::string> path;
    };
    const Case cases[] = {
        {"a.jpg", "/p/carskins/a.jpg"},
        {"GT\\bmw.gif", "/p/carskins/GT/bmw.gif"},
        {"./a.jpg", "/p/carskins/a.jpg"},
        {"GT/../a.jpg", "/p/carskins/a.jpg"},
        {"-1", std::nullopt},
        {"", std::nullopt},
        {"../Kerbview.ini", std::nullopt},
        {"..\\..\\etc\\passwd", std::nullopt},
        {"GT/../../a.jpg", std::nullopt},
        {"/etc/passwd", std::nullopt},
        {"\\etc\\passwd", std::nullopt},
        {"GT/..", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CarSkinPicturePath("/p", c.value), c.path) << c.value;
    }
}

TEST_F(CarSkinsTest, DefaultPicturesLoadInOrderAndAMissingOneDoesNotStopTheNext) {
    FakeLoader loader;
    LoadDefaultPictures(Folder(), loader);
    const std::vector<std::pair<Element, std::string>> expected = {
        {Element::Image1, Folder() + "/CarSkin.gif"},
        {Element::Image2, Folder() + "/pdSkin.jpg"},
    };
    EXPECT_EQ(loader.requests, expected);
}

}  // namespace
}  // namespace kerbview::panel
