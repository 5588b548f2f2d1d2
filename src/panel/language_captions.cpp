// SPDX-License-Identifier: MIT
#include "panel/language_captions.h"

#include "ui/language_table.h"

namespace kerbview::panel {

std::optional<std::string_view> LanguageOfMenu(Menu item) {
    for (std::size_t i = 0; i < kLanguageMenus.size(); ++i) {
        if (kLanguageMenus[i] == item) {
            return ui::kLanguageNames[i].idioma;
        }
    }
    return std::nullopt;
}

void SetLanguageMenuCaptions(PanelModel& model) {
    for (std::size_t i = 0; i < kLanguageMenus.size(); ++i) {
        model.SetMenuCaption(kLanguageMenus[i], ui::kLanguageNames[i].caption);
    }
}

void ApplyLanguageCaptions(std::string_view idioma, ui::LanguageTexts& slots, PanelModel& model) {
    for (Menu m : kLanguageMenus) {
        model.SetMenuChecked(m, false);
    }
    if (const std::optional<std::size_t> index = ui::FindLanguage(idioma)) {
        slots = ui::LanguageColumn(*index);
        model.SetMenuChecked(kLanguageMenus[*index], true);
    }

    model.SetText(LabelN(31), slots.TxtLapTimes);
    model.SetText(LabelN(29), slots.TxtLap);
    model.SetText(LabelN(33), slots.TxtFuelLastLap);
    model.SetText(LabelN(19), slots.TxtWater);
    model.SetText(LabelN(20), slots.TxtOil);
    model.SetText(Lamp(1), slots.TxtLimiter);
    model.SetText(Lamp(2), slots.TxtPits);
    model.SetText(Lamp(4), slots.TxtTc);
    model.SetText(Lamp(5), slots.TxtAbs);
    model.SetText(Lamp(6), slots.TxtContact);
    model.SetText(Lamp(7), slots.TxtEngine);
    model.SetText(LabelN(1), slots.TxtScanning);
    model.SetMenuCaption(Menu::Archivo, slots.TxtFileMenu);
    model.SetMenuCaption(Menu::Salir, slots.TxtExit);
    model.SetMenuCaption(Menu::Opciones, slots.TxtOptionsMenu);
    model.SetMenuCaption(Menu::TempsRefresc, slots.TxtScanTimeMenu);
    model.SetMenuCaption(Menu::AcercaDe, slots.TxtAboutMenu);
    model.SetMenuCaption(Menu::Conexio, slots.TxtConnectionMenu);
    model.SetMenuCaption(Menu::Cap, slots.TxtNone);
    model.SetMenuCaption(Menu::Servidor, slots.TxtServer);
    model.SetMenuCaption(Menu::Client, slots.TxtClient);
    model.SetMenuCaption(Menu::Graficos, slots.TxtGraphics);
    model.SetMenuCaption(Menu::Metrico, slots.TxtMetric);
    model.SetMenuCaption(Menu::Imperial, slots.TxtImperial);
    model.SetMenuCaption(Menu::VeureDadesServidor, slots.TxtShowServerData);
    model.SetMenuCaption(Menu::WebDashboard, slots.TxtWebDashboard);
}

}  // namespace kerbview::panel
