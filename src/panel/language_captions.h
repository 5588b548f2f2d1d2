// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "panel/panel_elements.h"
#include "panel/panel_model.h"
#include "ui/language_texts.h"

namespace kerbview::panel {

/// The eight language menu items, in the menu order of ui::kLanguageNames.
inline constexpr std::array<Menu, 8> kLanguageMenus{
    Menu::Espanol,  Menu::Catala,  Menu::Asturianu, Menu::English,
    Menu::Francais, Menu::Deutsch, Menu::Dutch,     Menu::Italiano,
};

/// Language name (value of Idioma) of a language menu item; std::nullopt for any other item.
std::optional<std::string_view> LanguageOfMenu(Menu item);

/// Gives the eight language menu items their fixed captions (Français for Francais).
void SetLanguageMenuCaptions(PanelModel& model);

/// The caption steps of Canvia_Idioma: unchecks the eight language items; when idioma names a
/// language, fills every slot from it and checks its item; then writes the slot texts to the
/// labels, lamps and menus of the main window. An unknown idioma checks nothing and leaves the
/// slots as they were, so the captions show whatever the slots held (empty at start-up).
void ApplyLanguageCaptions(std::string_view idioma, ui::LanguageTexts& slots, PanelModel& model);

}  // namespace kerbview::panel
