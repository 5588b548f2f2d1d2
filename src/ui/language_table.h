// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "ui/language_texts.h"

namespace kerbview::ui {

/// One language of the Opciones menu: the value of Idioma that selects it and the fixed caption
/// of its menu item. Both are Windows-1252.
struct LanguageName {
    std::string_view idioma;
    std::string_view caption;
};

inline constexpr std::size_t kLanguageCount = 8;

/// The eight languages in menu order. Captions never change with the language.
inline constexpr std::array<LanguageName, kLanguageCount> kLanguageNames{{
    {"Espa\xF1ol", "Espa\xF1ol"},
    {"Catal\xE0", "Catal\xE0"},
    {"Asturianu", "Asturianu"},
    {"English", "English"},
    {"Francais",
     "Fran\xE7"
     "ais"},
    {"Deutsch", "Deutsch"},
    {"Dutch", "Dutch"},
    {"Italiano", "Italiano"},
}};

/// Menu-order position of the language whose name equals idioma exactly (letter case
/// included); std::nullopt for any other text.
std::optional<std::size_t> FindLanguage(std::string_view idioma);

/// The 51 texts of the language at menu-order position index (0..7). Throws std::out_of_range
/// for any other index.
LanguageTexts LanguageColumn(std::size_t index);

/// Fills every slot with the texts of the language named idioma and returns true. An idioma
/// that is none of the eight names returns false and leaves out untouched.
bool FillLanguage(std::string_view idioma, LanguageTexts& out);

}  // namespace kerbview::ui
