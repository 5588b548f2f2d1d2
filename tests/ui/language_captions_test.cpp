// SPDX-License-Identifier: MIT
#include "panel/language_captions.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace kerbview::panel {
namespace {

struct Recorder {
    std::vector<std::string> calls;
    LanguageSideEffects Effects(bool failReset = false) {
        return {.ResetGameLink =
                    [this, failReset] {
                        calls.push_back("reset");
                        if (failReset) throw std::runtime_error("link");
                    },
                .WriteIdioma = [this](const std::string& v) { calls.push_back("write " + v); }};
    }
};

std::vector<Menu> CheckedLanguages(const PanelModel& model) {
    std::vector<Menu> checked;
    for (Menu m : kLanguageMenus) {
        if (model.menu(m).checked) checked.push_back(m);
    }
    return checked;
}

TEST(LanguageCaptions, CaptionsAreWrittenInTheListedOrderAfterTheCheckMark) {
    const Element elements[] = {LabelN(31), LabelN(29), LabelN(33), LabelN(19),
                                LabelN(20), Lamp(1),    Lamp(2),    Lamp(4),
                                Lamp(5),    Lamp(6),    Lamp(7),    LabelN(1)};
    const Menu menus[] = {
        Menu::Archivo, Menu::Salir,    Menu::Opciones,          Menu::TempsRefresc, Menu::AcercaDe,
        Menu::Conexio, Menu::Cap,      Menu::Servidor,          Menu::Client,       Menu::Graficos,
        Menu::Metrico, Menu::Imperial, Menu::VeureDadesServidor};
    // Every caption starts unlike its Italian text, so every write shows in the revisions.
    PanelModel model;
    for (Element e : elements) model.SetText(e, "?");
    for (Menu m : menus) model.SetMenuCaption(m, "?");
    ui::LanguageTexts slots;
    ApplyLanguageCaptions("Italiano", slots, model);

    std::vector<std::uint64_t> order{model.menu(Menu::Italiano).revision};
    for (Element e : elements) order.push_back(model[e].revision);
    for (Menu m : menus) order.push_back(model.menu(m).revision);
    for (std::size_t i = 1; i < order.size(); ++i) {
        EXPECT_LT(order[i - 1], order[i]) << "write " << i;
    }
    EXPECT_EQ(model[LabelN(1)].text, "Scansione...");
    EXPECT_EQ(model[Lamp(6)].text, "INIETTORI");
    EXPECT_EQ(model.menu(Menu::VeureDadesServidor).caption, "Mostra dati server");
}

TEST(LanguageCaptions, UnknownLanguageChecksNothingAndShowsTheKeptSlots) {
    PanelModel model;
    ui::LanguageTexts slots;
    ApplyLanguageCaptions("english", slots, model);  // at start-up: slots still empty
    EXPECT_TRUE(CheckedLanguages(model).empty());
    EXPECT_EQ(model[LabelN(31)].text, "");
    EXPECT_EQ(model.menu(Menu::Archivo).caption, "");

    ApplyLanguageCaptions("Dutch", slots, model);
    EXPECT_EQ(CheckedLanguages(model), std::vector<Menu>{Menu::Dutch});
    ApplyLanguageCaptions("Nederlands", slots, model);
    EXPECT_TRUE(CheckedLanguages(model).empty());
    EXPECT_EQ(model[Lamp(2)].text, "Pitbox");
}

TEST(LanguageCaptions, ClickOnOtherLanguageResetsLinkThenWritesAndSameLanguageDoesNothing) {
    PanelModel model;
    SetLanguageMenuCaptions(model);
    ui::LanguageTexts slots;
    core::ErrorReporter reporter;
    Recorder rec;
    std::string idioma = "English";
    EXPECT_FALSE(LanguageMenuClick(Menu::English, idioma, slots, model, rec.Effects(), reporter));
    EXPECT_FALSE(LanguageMenuClick(Menu::Graficos, idioma, slots, model, rec.Effects(), reporter));
    EXPECT_TRUE(rec.calls.empty());

    EXPECT_TRUE(LanguageMenuClick(Menu::Catala, idioma, slots, model, rec.Effects(), reporter));
    EXPECT_EQ(idioma, "Catal\xE0");
    EXPECT_EQ(model[LabelN(1)].text, "Escanejant...");
    EXPECT_EQ(model.menu(Menu::Francais).caption,
              "Fran\xE7"
              "ais");  // fixed caption

    Canvia_Idioma("Klingon", slots, model, rec.Effects(), reporter);
    EXPECT_EQ(rec.calls,
              (std::vector<std::string>{"reset", "write Catal\xE0", "reset", "write Klingon"}));
    EXPECT_EQ(reporter.ErrorProc(), "");
}

TEST(LanguageCaptions, FailingLinkResetIsReportedKeepsCaptionsAndSkipsTheWrite) {
    PanelModel model;
    ui::LanguageTexts slots;
    core::ErrorReporter reporter;
    Recorder rec;
    EXPECT_NO_THROW(Canvia_Idioma("Francais", slots, model, rec.Effects(true), reporter));
    EXPECT_EQ(rec.calls, std::vector<std::string>{"reset"});
    EXPECT_EQ(reporter.ErrorProc(), "Canvia_Idioma");
    EXPECT_EQ(model[LabelN(1)].text, "Recherche...");
}

}  // namespace
}  // namespace kerbview::panel
