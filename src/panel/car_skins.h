// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "panel/panel_elements.h"

namespace kerbview::panel {

/// Loads a picture file into a picture element. The front end decodes the file.
class PictureLoader {
public:
    virtual ~PictureLoader() = default;
    /// Shows the picture in path (UTF-8, as core::PathToUtf8 gives it) on element e and returns
    /// true. Returns false, leaving the element's picture as it was, when the file is missing,
    /// unreadable or not a picture.
    virtual bool LoadInto(Element e, const std::string& path) = 0;
};

/// folder / "carskins.ini".
std::filesystem::path CarSkinsIniPath(const std::filesystem::path& programFolder);

/// The file a carskins.ini value (Windows-1252) names: folder / "carskins" / value, with "\"
/// read as a folder separator. std::nullopt when the value is "-1" or empty, is an absolute
/// path, or leads outside the carskins folder (a ".." step): the table may only name files
/// inside that folder.
std::optional<std::filesystem::path> CarSkinPicturePath(const std::filesystem::path& programFolder,
                                                        const std::string& value);

/// The default pictures shown when the window opens: Image1 from folder / "CarSkin.gif", then
/// Image2 from folder / "pdSkin.jpg". A file that fails to load leaves the element's built-in
/// picture, silently. Never throws.
void LoadDefaultPictures(const std::filesystem::path& programFolder, PictureLoader& loader);

/// The car picture of Image1, looked up in carskins.ini once per change of car.
class CarSkins {
public:
    /// True when currentCar differs (as exact text) from the car last looked up.
    bool NeedsUpdate(const std::string& CurrentCar) const { return CurrentCar != m_SkinCar; }

    /// Reads section "Cars", key CurrentCar (letter case ignored) of carskins.ini and, unless
    /// the value is "-1", loads the named picture from the carskins folder into Image1. Every
    /// failure (no table, no entry, garbage, missing or broken picture) is silent and leaves
    /// Image1 as it was; an empty car name is not looked up. SkinCar becomes CurrentCar whatever
    /// happened, so a failed car is not tried again until another car has been driven. Never
    /// throws. The caller stops the scan timer around the call.
    void Update(const std::string& CurrentCar, const std::filesystem::path& programFolder,
                PictureLoader& loader);

    /// Car name for which the table was last consulted; empty at start.
    const std::string& SkinCar() const { return m_SkinCar; }

private:
    std::string m_SkinCar;
};

}  // namespace kerbview::panel
