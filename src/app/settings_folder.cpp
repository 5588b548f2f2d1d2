// SPDX-License-Identifier: MIT
#include "app/settings_folder.h"

#include <system_error>

namespace kerbview::app {

namespace {

SettingsFolder ChooseFolder(const SettingsFolderFacts& facts) {
    if (!facts.installedFolder &&
        (facts.executableFolderWritable || facts.executableFolderHoldsSettings)) {
        return {facts.executableFolder, true, {}};
    }
    // The XDG base directory rules ignore a relative $XDG_CONFIG_HOME.
    const std::filesystem::path xdg(facts.xdgConfigHome);
    if (xdg.is_absolute()) return {xdg / "kerbview", false, {}};
    if (!facts.home.empty())
        return {std::filesystem::path(facts.home) / ".config" / "kerbview", false, {}};
    return {facts.executableFolder, true, {}};
}

}  // namespace

SettingsFolder ChooseSettingsFolder(const SettingsFolderFacts& facts) {
    SettingsFolder folder = ChooseFolder(facts);
    folder.recordings = folder.path / "recordings";
    if (folder.besideExecutable) return folder;
    // Likewise a relative $XDG_DATA_HOME.
    const std::filesystem::path data(facts.xdgDataHome);
    if (data.is_absolute()) {
        folder.recordings = data / "kerbview" / "recordings";
    } else if (!facts.home.empty()) {
        folder.recordings =
            std::filesystem::path(facts.home) / ".local" / "share" / "kerbview" / "recordings";
    }
    return folder;
}

std::string CreateSettingsFolder(const SettingsFolder& folder) {
    if (folder.besideExecutable) return {};
    std::error_code error;
    if (std::filesystem::create_directories(folder.path, error)) {
        std::filesystem::permissions(folder.path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, error);
    }
    return error ? "cannot create " + folder.path.string() + ": " + error.message() : std::string();
}

}  // namespace kerbview::app
