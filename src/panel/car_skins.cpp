// SPDX-License-Identifier: MIT
#include "panel/car_skins.h"

#include <algorithm>
#include <filesystem>

#include "core/profile_file.h"

namespace kerbview::panel {

std::string CarSkinsIniPath(const std::string& programFolder) {
    return programFolder + "/carskins.ini";
}

std::optional<std::string> CarSkinPicturePath(const std::string& programFolder,
                                              const std::string& value) {
    if (value.empty() || value == "-1") {
        return std::nullopt;
    }
    // Tables written for Windows separate folders with "\".
    std::string relative = value;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    const std::filesystem::path name = std::filesystem::path(relative).lexically_normal();
    if (name.empty() || name.has_root_path() || name.has_root_name()) {
        return std::nullopt;
    }
    const auto first = name.begin();
    if (first == name.end() || *first == ".." || *first == ".") {
        return std::nullopt;
    }
    return programFolder + "/carskins/" + name.generic_string();
}

void LoadDefaultPictures(const std::string& programFolder, PictureLoader& loader) {
    try {
        loader.LoadInto(Element::Image1, programFolder + "/CarSkin.gif");
    } catch (...) {
    }
    try {
        loader.LoadInto(Element::Image2, programFolder + "/pdSkin.jpg");
    } catch (...) {
    }
}

void CarSkins::Update(const std::string& CurrentCar, const std::string& programFolder,
                      PictureLoader& loader) {
    // Failures are silent by design: Image1 keeps the picture it had.
    if (!CurrentCar.empty()) {
        try {
            const std::string value =
                core::ReadIni(CarSkinsIniPath(programFolder), "Cars", CurrentCar, "");
            if (const std::optional<std::string> path = CarSkinPicturePath(programFolder, value)) {
                loader.LoadInto(Element::Image1, *path);
            }
        } catch (...) {
        }
    }
    m_SkinCar = CurrentCar;
}

}  // namespace kerbview::panel
