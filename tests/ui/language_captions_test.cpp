// SPDX-License-Identifier: MIT
#include "panel/language_captions.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ui/language_table.h"

namespace kerbview::panel {
namespace {

using ui::LanguageTexts;

struct Recorder {
    std::vector<std::string> calls;
    LanguageSideEffects Effects(bool failReset = false) {
        return LanguageSideEffects{
            .ResetGameLink =
                [this, failReset] {
                    calls.push_back("reset");
                    if (failReset) {
                        throw std::runtime_error("link");
                    }
                },
            .WriteIdioma = [this](const std::string& v) { calls.push_back("write " + v); },
        };
    }
};

std::vector<Menu> CheckedLanguages(const PanelModel& model) {
    std::vector<Menu> checked;
    for (Menu m : kLanguageMenus) {
        if (model.menu(m).checked) {
            checked.push_back(m);
        }
    }
    return checked;
}

TEST(LanguageCaptions, ChoosingEnglishSetsCaptionsAndChecksOnlyEnglish) {
    PanelModel model;
    LanguageTexts slots;
    ApplyLanguageCaptions("Deutsch", slots, model);
    ApplyLanguageCaptions("English", slots, model);

    EXPECT_EQ(CheckedLanguages(model), std::vector<Menu>{Menu::English});
    EXPECT_EQ(slots.TxtBest, "Best");
    EXPECT_EQ(model[LabelN(1)].text, "Scanning...");
    EXPECT_EQ(model[LabelN(31)].text, "Lap Times");
    EXPECT_EQ(model[LabelN(33)].text, "Liters last lap");
    EXPECT_EQ(model[Lamp(1)].text, "SPD LIMIT");
    EXPECT_EQ(model[Lamp(7)].text, "ENGINE");
    EXPECT_EQ(model.menu(Menu::Opciones).caption, "Options");
    EXPECT_EQ(model.menu(Menu::VeureDadesServidor).caption, "Show Server Data");
    // The race-position lamp carries no language text.
    EXPECT_EQ(model[Lamp(3)].text, "");
}

TEST(LanguageCaptions, CaptionsAreWrittenInTheListedOrder) {
    const Element elements[] = {LabelN(31), LabelN(29), LabelN(33), LabelN(19),
                                LabelN(20), Lamp(1),    Lamp(2),    Lamp(4),
                                Lamp(5),    Lamp(6),    Lamp(7),    LabelN(1)};
    const Menu menus[] = {
        Menu::Archivo, Menu::Salir,    Menu::Opciones,          Menu::TempsRefresc, Menu::AcercaDe,
        Menu::Conexio, Menu::Cap,      Menu::Servidor,          Menu::Client,       Menu::Graficos,
        Menu::Metrico, Menu::Imperial, Menu::VeureDadesServidor};
    // Every caption starts different from its Italian text, so every write shows in the
    // revision counter.
    PanelModel model;
    for (Element e : elements) {
        model.SetText(e, "?");
    }
    for (Menu m : menus) {
        model.SetMenuCaption(m, "?");
    }
    LanguageTexts slots;
    ApplyLanguageCaptions("Italiano", slots, model);
    std::vector<std::uint64_t> order;
    for (Element e : elements) {
        order.push_back(model[e].revision);
    }
    for (Menu m : menus) {
        order.push_back(model.menu(m).revision);
    }
    for (std::size_t i = 1; i < order.size(); ++i) {
        EXPECT_LT(order[i - 1], order[i]) << "caption " << i;
    }
    // The language check mark comes before the captions.
    EXPECT_LT(model.menu(Menu::Italiano).revision, order.front());
}

TEST(LanguageCaptions, UnknownLanguageChecksNothingAndShowsTheKeptSlots) {
    PanelModel model;
    LanguageTexts slots;
    model.SetText(LabelN(31), "Tiempos vuelta");
    ApplyLanguageCaptions("english", slots, model);
    EXPECT_TRUE(CheckedLanguages(model).empty());
    EXPECT_EQ(model[LabelN(31)].text, "");
    EXPECT_EQ(model.menu(Menu::Archivo).caption, "");

    ApplyLanguageCaptions("Dutch", slots, model);
    ApplyLanguageCaptions("Nederlands", slots, model);
    EXPECT_TRUE(CheckedLanguages(model).empty());
    EXPECT_EQ(slots.TxtPits, "Pitbox");
    EXPECT_EQ(model[Lamp(2)].text, "Pitbox");
}

TEST(LanguageCaptions, CanviaIdiomaResetsLinkThenWritesEvenUnknownValue) {
    PanelModel model;
    LanguageTexts slots;
    core::ErrorReporter reporter;
    Recorder rec;
    Canvia_Idioma("Catal\xE0", slots, model, rec.Effects(), reporter);
    Canvia_Idioma("Klingon", slots, model, rec.Effects(), reporter);
    EXPECT_EQ(rec.calls,
              (std::vector<std::string>{"reset", "write Catal\xE0", "reset", "write Klingon"}));
    EXPECT_EQ(reporter.ErrorProc(), "");
}

TEST(LanguageCaptions, FailingLinkResetIsReportedAndSkipsTheWrite) {
    PanelModel model;
    LanguageTexts slots;
    core::ErrorReporter reporter;
    std::vector<std::string> lines;
    reporter.setDebugEnabled(true);
    reporter.setSink([&](const std::string& line) { lines.push_back(line); });
    Recorder rec;
    Canvia_Idioma("Francais", slots, model, rec.Effects(/*failReset=*/true), reporter);
    EXPECT_EQ(rec.calls, std::vector<std::string>{"reset"});
    EXPECT_EQ(reporter.ErrorProc(), "Canvia_Idioma");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(model[LabelN(1)].text, "Recherche...");
}

TEST(LanguageCaptions, ClickOnCurrentLanguageChangesAndWritesNothing) {
    PanelModel model;
    LanguageTexts slots;
    core::ErrorReporter reporter;
    Recorder rec;
    std::string idioma = "English";
    EXPECT_FALSE(LanguageMenuClick(Menu::English, idioma, slots, model, rec.Effects(), reporter));
    EXPECT_FALSE(LanguageMenuClick(Menu::Graficos, idioma, slots, model, rec.Effects(), reporter));
    EXPECT_TRUE(rec.calls.empty());
    EXPECT_EQ(model[LabelN(1)].text, "");

    EXPECT_TRUE(LanguageMenuClick(Menu::Espanol, idioma, slots, model, rec.Effects(), reporter));
    EXPECT_EQ(idioma, "Espa\xF1ol");
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"reset", "write Espa\xF1ol"}));
    EXPECT_EQ(model[LabelN(1)].text, "Escaneando...");
}

TEST(LanguageCaptions, LanguageMenusKeepFixedCaptionsAcrossLanguages) {
    PanelModel model;
    LanguageTexts slots;
    SetLanguageMenuCaptions(model);
    ApplyLanguageCaptions("Deutsch", slots, model);
    EXPECT_EQ(model.menu(Menu::Francais).caption,
              "Fran\xE7"
              "ais");
    EXPECT_EQ(model.menu(Menu::Espanol).caption, "Espa\xF1ol");
    EXPECT_EQ(LanguageOfMenu(Menu::Francais), "Francais");
    EXPECT_FALSE(LanguageOfMenu(Menu::Cap).has_value());
}

}  // namespace
}  // namespace kerbview::panel
