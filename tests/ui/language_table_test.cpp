// SPDX-License-Identifier: MIT
#include "ui/language_table.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text_encoding.h"

namespace kerbview::ui {
namespace {

using Slot = std::string LanguageTexts::*;

// Every slot of LanguageTexts; the static_assert makes a slot added to the struct fail here.
constexpr Slot kAllSlots[] = {
    &LanguageTexts::TxtScanning,
    &LanguageTexts::TxtRunning,
    &LanguageTexts::TxtNotRunning,
    &LanguageTexts::TxtLapTimes,
    &LanguageTexts::TxtBest,
    &LanguageTexts::TxtLast,
    &LanguageTexts::TxtCurrent,
    &LanguageTexts::TxtLap,
    &LanguageTexts::TxtWater,
    &LanguageTexts::TxtOil,
    &LanguageTexts::TxtFuelLastLap,
    &LanguageTexts::TxtLimiter,
    &LanguageTexts::TxtPits,
    &LanguageTexts::TxtTc,
    &LanguageTexts::TxtTcHigh,
    &LanguageTexts::TxtTcLow,
    &LanguageTexts::TxtAbs,
    &LanguageTexts::TxtAbsHigh,
    &LanguageTexts::TxtAbsLow,
    &LanguageTexts::TxtContact,
    &LanguageTexts::TxtEngine,
    &LanguageTexts::TxtAboutMenu,
    &LanguageTexts::TxtExit,
    &LanguageTexts::TxtLanguage,
    &LanguageTexts::TxtAboutTitle,
    &LanguageTexts::TxtAboutDescription,
    &LanguageTexts::TxtAboutCredit,
    &LanguageTexts::TxtFileMenu,
    &LanguageTexts::TxtOptionsMenu,
    &LanguageTexts::TxtScanTimeMenu,
    &LanguageTexts::TxtIpAddress,
    &LanguageTexts::TxtPort,
    &LanguageTexts::TxtBadIp,
    &LanguageTexts::TxtBadPort,
    &LanguageTexts::TxtConnectionMenu,
    &LanguageTexts::TxtNone,
    &LanguageTexts::TxtServer,
    &LanguageTexts::TxtClient,
    &LanguageTexts::TxtServerData,
    &LanguageTexts::TxtClientData,
    &LanguageTexts::TxtOk,
    &LanguageTexts::TxtConnected,
    &LanguageTexts::TxtConnecting,
    &LanguageTexts::TxtListening,
    &LanguageTexts::TxtNoLink,
    &LanguageTexts::TxtGraphics,
    &LanguageTexts::TxtMetric,
    &LanguageTexts::TxtImperial,
    &LanguageTexts::TxtShowServerData,
};
static_assert(std::size(kAllSlots) == 49);
static_assert(sizeof(LanguageTexts) == 49 * sizeof(std::string));

LanguageTexts Filled(std::string_view idioma) {
    LanguageTexts t;
    EXPECT_TRUE(FillLanguage(idioma, t)) << idioma;
    return t;
}

TEST(LanguageTable, EveryLanguageFillsAll49SlotsWithValidText) {
    ASSERT_EQ(kLanguageNames.size(), 8u);
    for (const LanguageName& name : kLanguageNames) {
        const LanguageTexts t = Filled(name.idioma);
        for (Slot slot : kAllSlots) {
            const std::string& text = t.*slot;
            EXPECT_FALSE(text.empty()) << core::Cp1252ToUtf8(name.idioma);
            // An escape that swallowed a letter, or an unassigned byte, decodes to U+FFFD.
            EXPECT_EQ(core::Cp1252ToUtf8(text).find("\xEF\xBF\xBD"), std::string::npos) << text;
        }
    }
}

TEST(LanguageTable, SampleSlotsMatchTheirLanguageWordForWord) {
    struct Case {
        const char* idioma;  // Windows-1252
        Slot slot;
        const char* utf8;
    };
    const Case cases[] = {
        {"Espa\xF1ol", &LanguageTexts::TxtRunning, "RACE07 EN MARCHA"},
        {"Espa\xF1ol", &LanguageTexts::TxtFuelLastLap, "Litros última vuelta"},
        {"Espa\xF1ol", &LanguageTexts::TxtGraphics, "Gráficos"},
        {"Espa\xF1ol", &LanguageTexts::TxtIpAddress, "Dirección IP"},
        {"Catal\xE0", &LanguageTexts::TxtIpAddress, "Adreça IP"},
        {"Catal\xE0", &LanguageTexts::TxtMetric, "Mètric"},
        {"Catal\xE0", &LanguageTexts::TxtNone, "Cap"},
        {"Asturianu", &LanguageTexts::TxtRunning, "RACE07 N'ANDANCIA"},
        {"Asturianu", &LanguageTexts::TxtIpAddress, "Direición IP"},
        {"Asturianu", &LanguageTexts::TxtClientData, "Datos Veceru"},
        {"English", &LanguageTexts::TxtScanning, "Scanning..."},
        {"English", &LanguageTexts::TxtNotRunning, "RACE07 NOT RUNNING"},
        {"English", &LanguageTexts::TxtMetric, "Metric"},
        {"English", &LanguageTexts::TxtAboutDescription,
         "Auxiliar data screen for SIMBIN's RACE07 race simulator"},
        {"Francais", &LanguageTexts::TxtMetric, "Métrique "},
        {"Francais", &LanguageTexts::TxtImperial, "Impérial "},
        {"Francais", &LanguageTexts::TxtAboutCredit, "Programmé par Quillon"},
        {"Francais", &LanguageTexts::TxtServerData, "Données Serveur"},
        {"Deutsch", &LanguageTexts::TxtMetric, "Metrisch "},
        {"Deutsch", &LanguageTexts::TxtImperial, "Imperial"},
        {"Deutsch", &LanguageTexts::TxtOil, "Öl"},
        {"Deutsch", &LanguageTexts::TxtAboutMenu, "Über"},
        {"Deutsch", &LanguageTexts::TxtListening, "ABHÖREN"},
        {"Deutsch", &LanguageTexts::TxtContact, "Zündung"},
        {"Dutch", &LanguageTexts::TxtScanning, "Informatie opvragen..."},
        {"Dutch", &LanguageTexts::TxtFuelLastLap, "Liters / Laatste Ronde"},
        {"Dutch", &LanguageTexts::TxtConnecting, "VERBINDING..."},
        {"Italiano", &LanguageTexts::TxtNotRunning, "RACE07 NON IN ESECUZ."},
        {"Italiano", &LanguageTexts::TxtContact, "INIETTORI"},
        {"Italiano", &LanguageTexts::TxtAboutMenu, "Informazioni su..."},
    };
    for (const Case& c : cases) {
        const LanguageTexts t = Filled(c.idioma);
        EXPECT_EQ(core::Cp1252ToUtf8(t.*c.slot), c.utf8) << c.idioma;
    }
}

TEST(LanguageTable, MultiLineMessagesJoinLinesWithCarriageReturnLineFeed) {
    struct Case {
        const char* idioma;
        Slot slot;
        const char* utf8;
    };
    const Case cases[] = {
        {"Espa\xF1ol", &LanguageTexts::TxtBadIp,
         "La IP introducida no es valida\r\nDebería de tener la forma XXX.XXX.XXX.XXX\r\n"
         "Donde XXX es un valor numerico de 000 a 255"},
        {"Francais", &LanguageTexts::TxtBadIp,
         "Cette adresse IP n'est pas valide\r\nElle devrait être au format XXX.XXX.XXX.XXX\r\n"
         "où XXX est une valeur comprise entre 000 et 255"},
        {"Italiano", &LanguageTexts::TxtBadIp,
         "L'indirizzo IP non è valido\r\ndovrebbe essere nella forma XXX.XXX.XXX.XXX\r\n"
         "dove xxx è un valore numerico da 000 a 255"},
        {"Catal\xE0", &LanguageTexts::TxtBadPort,
         "El port introduit no es vàlid\r\nintrodueix un valor entre 0 i 65535"},
        {"Dutch", &LanguageTexts::TxtBadPort,
         "Verkeerde Poort\r\nGetal moet tussen 0 en 65535 zijn."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(core::Cp1252ToUtf8(Filled(c.idioma).*c.slot), c.utf8) << c.idioma;
    }
    for (const LanguageName& name : kLanguageNames) {
        const LanguageTexts t = Filled(name.idioma);
        const auto lines = [](const std::string& s) {
            std::size_t n = 1;
            for (std::size_t at = s.find("\r\n"); at != std::string::npos;
                 at = s.find("\r\n", at + 2)) {
                ++n;
            }
            return n;
        };
        EXPECT_EQ(lines(t.TxtBadIp), 3u);
        EXPECT_EQ(lines(t.TxtBadPort), 2u);
    }
}

TEST(LanguageTable, UnknownOrMiscasedNameMatchesNothingAndKeepsSlots) {
    const char* unknown[] = {"english",
                             "ENGLISH",
                             "Espanol",
                             "Español" /* UTF-8 bytes */,
                             "Fran\xE7"
                             "ais",
                             "",
                             "English "};
    for (const char* idioma : unknown) {
        LanguageTexts t;
        t.TxtRunning = "kept";
        EXPECT_FALSE(FindLanguage(idioma).has_value()) << idioma;
        EXPECT_FALSE(FillLanguage(idioma, t)) << idioma;
        EXPECT_EQ(t.TxtRunning, "kept");
        EXPECT_TRUE(t.TxtScanning.empty());
    }
}

TEST(LanguageTable, NamesAreInMenuOrderWithFixedCaptions) {
    const char* idiomas[] = {"Español",  "Català",  "Asturianu", "English",
                             "Francais", "Deutsch", "Dutch",     "Italiano"};
    const char* captions[] = {"Español",  "Català",  "Asturianu", "English",
                              "Français", "Deutsch", "Dutch",     "Italiano"};
    for (std::size_t i = 0; i < kLanguageCount; ++i) {
        EXPECT_EQ(core::Cp1252ToUtf8(kLanguageNames[i].idioma), idiomas[i]);
        EXPECT_EQ(core::Cp1252ToUtf8(kLanguageNames[i].caption), captions[i]);
        EXPECT_EQ(FindLanguage(kLanguageNames[i].idioma), i);
    }
    // A column shifted by one language would still be complete; the run texts tell them apart.
    EXPECT_EQ(LanguageColumn(5).TxtRunning, "RACE07 GESTARTET");
    EXPECT_EQ(LanguageColumn(6).TxtRunning, "RACE07 GESTART");
    EXPECT_THROW(LanguageColumn(8), std::out_of_range);
}

}  // namespace
}  // namespace kerbview::ui
