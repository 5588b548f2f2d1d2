// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/error_report.h"
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

/// What Canvia_Idioma does besides the captions, supplied by the program.
struct LanguageSideEffects {
    /// Releases the simulator link so the next scan reattaches and shows the new status text.
    std::function<void()> ResetGameLink;
    /// Stores the value in section Opcions, key Idioma.
    std::function<void(const std::string& idioma)> WriteIdioma;
};

/// Canvia_Idioma: the caption steps, then ResetGameLink, then WriteIdioma. An exception from
/// any step ends it there and is reported as "Canvia_Idioma"; steps done before stay done.
/// Never throws.
void Canvia_Idioma(const std::string& idioma, ui::LanguageTexts& slots, PanelModel& model,
                   const LanguageSideEffects& effects, core::ErrorReporter& reporter);

/// Click on a language menu item: when idioma differs from the item's language, sets idioma to
/// it, runs Canvia_Idioma and returns true; a click on the current language (or on an item
/// that is not a language) changes and writes nothing and returns false.
bool LanguageMenuClick(Menu item, std::string& idioma, ui::LanguageTexts& slots, PanelModel& model,
                       const LanguageSideEffects& effects, core::ErrorReporter& reporter);

}  // namespace kerbview::panel
