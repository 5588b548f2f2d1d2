// SPDX-License-Identifier: MIT
#include "panel/car_skins.h"

#include <algorithm>

#include "core/path_text.h"
#include "core/profile_file.h"
#include "core/text_encoding.h"

namespace kerbview::panel {

namespace fs = std::filesystem;

fs::path CarSkinsIniPath(const fs::path& programFolder) { return programFolder / "carskins.ini"; }

std::optional<fs::path> CarSkinPicturePath(const fs::path& programFolder,
                                           const std::string& value) {
    if (value.empty() || value == "-1") {
        return std::nullopt;
    }
    // Tables written for Windows separate folders with "\".
    std::string relative = core::Cp1252ToUtf8(value);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    const fs::path name = core::PathFromUtf8(relative).lexically_normal();
    if (name.empty() || name.has_root_path() || name.has_root_name()) {
        return std::nullopt;
    }
    const auto first = name.begin();
    if (first == name.end() || *first == ".." || *first == ".") {
        return std::nullopt;
    }
    return (programFolder / "carskins" / name).make_preferred();
}

void LoadDefaultPictures(const fs::path& programFolder, PictureLoader& loader) {
    try {
        loader.LoadInto(Element::Image1, core::PathToUtf8(programFolder / "CarSkin.gif"));
    } catch (...) {
    }
    try {
        loader.LoadInto(Element::Image2, core::PathToUtf8(programFolder / "pdSkin.jpg"));
    } catch (...) {
    }
}

void CarSkins::Update(const std::string& CurrentCar, const fs::path& programFolder,
                      PictureLoader& loader) {
    // Failures are silent by design: Image1 keeps the picture it had.
    if (!CurrentCar.empty()) {
        try {
            const std::string value =
                core::ReadIni(CarSkinsIniPath(programFolder), "Cars", CurrentCar, "");
            if (const std::optional<fs::path> path = CarSkinPicturePath(programFolder, value)) {
                loader.LoadInto(Element::Image1, core::PathToUtf8(*path));
            }
        } catch (...) {
        }
    }
    m_SkinCar = CurrentCar;
}

}  // namespace kerbview::panel
