// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kerbview::core {

/// A path as UTF-8 text, the form the front end takes file names in and messages show them in.
/// On Windows the path's wide characters are converted; elsewhere its bytes are kept as they
/// are (file names there are UTF-8 by convention).
inline std::string PathToUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

/// The path named by UTF-8 text (PathToUtf8 the other way round).
inline std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

}  // namespace kerbview::core
