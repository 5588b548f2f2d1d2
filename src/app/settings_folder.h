// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

namespace kerbview::app {

/// What the choice of the settings folder depends on, read from the system at start.
struct SettingsFolderFacts {
    /// The folder that holds the running executable.
    std::filesystem::path executableFolder;
    /// This user may create files in executableFolder.
    bool executableFolderWritable = false;
    /// executableFolder already holds Kerbview.ini.
    bool executableFolderHoldsSettings = false;
    /// executableFolder is the folder the build installs the program into (/usr/bin for the
    /// package).
    bool installedFolder = false;
    /// $XDG_CONFIG_HOME and $HOME (or the account's home folder); empty when unset.
    std::string xdgConfigHome;
    std::string home;
    /// $XDG_DATA_HOME; empty when unset.
    std::string xdgDataHome;
};

/// The folder that holds Kerbview.ini, carskins.ini, the carskins folder and the default
/// pictures.
struct SettingsFolder {
    std::filesystem::path path;
    /// True when path is the executable's folder; false for the user's configuration folder.
    bool besideExecutable = true;
    /// The folder of the stints' recordings, made when the first stint starts.
    std::filesystem::path recordings;
};

/// Pure: the executable's folder when it is writable or already holds Kerbview.ini (a portable
/// copy, every existing user), unless it is the installed folder, where a file written by a
/// run as root would pin every user to a file they cannot write; otherwise
/// $XDG_CONFIG_HOME/kerbview (an absolute one only), else $HOME/.config/kerbview. With neither
/// known it stays the executable's folder. The recordings go into "recordings" beside the
/// settings file, except for settings in the user's configuration folder: then into
/// $XDG_DATA_HOME/kerbview/recordings (an absolute one only), else
/// $HOME/.local/share/kerbview/recordings, the place of a user's data rather than settings.
SettingsFolder ChooseSettingsFolder(const SettingsFolderFacts& facts);

/// Reads the facts from the running system (one implementation per platform). Never throws.
SettingsFolderFacts ReadSettingsFolderFacts();

/// Creates a configuration folder that does not exist yet (owner-only access, as the XDG base
/// directory rules ask). Returns an empty text, or why it could not be created. Never throws.
std::string CreateSettingsFolder(const SettingsFolder& folder);

}  // namespace kerbview::app
