// SPDX-License-Identifier: MIT
#include "ui/language_table.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text_encoding.h"

namespace kerbview::ui {
namespace {

using T = LanguageTexts;
using Slot = std::string T::*;

// Every slot; the static_asserts make a slot added to the struct fail here.
// clang-format off
constexpr Slot kAllSlots[] = {
    &T::TxtScanning, &T::TxtRunning, &T::TxtNotRunning, &T::TxtLapTimes, &T::TxtBest,
    &T::TxtLast, &T::TxtCurrent, &T::TxtLap, &T::TxtWater, &T::TxtOil, &T::TxtFuelLastLap,
    &T::TxtLimiter, &T::TxtPits, &T::TxtTc, &T::TxtTcHigh, &T::TxtTcLow, &T::TxtAbs,
    &T::TxtAbsHigh, &T::TxtAbsLow, &T::TxtContact, &T::TxtEngine, &T::TxtAboutMenu, &T::TxtExit,
    &T::TxtLanguage, &T::TxtAboutTitle, &T::TxtAboutDescription, &T::TxtAboutCredit,
    &T::TxtFileMenu, &T::TxtOptionsMenu, &T::TxtScanTimeMenu, &T::TxtIpAddress, &T::TxtPort,
    &T::TxtBadIp, &T::TxtBadPort, &T::TxtConnectionMenu, &T::TxtNone, &T::TxtServer,
    &T::TxtClient, &T::TxtServerData, &T::TxtClientData, &T::TxtOk, &T::TxtConnected,
    &T::TxtConnecting, &T::TxtListening, &T::TxtNoLink, &T::TxtGraphics, &T::TxtMetric,
    &T::TxtImperial, &T::TxtShowServerData,
};
// clang-format on
static_assert(std::size(kAllSlots) == 49);
static_assert(sizeof(T) == 49 * sizeof(std::string));

T Filled(std::string_view idioma) {
    T t;
    EXPECT_TRUE(FillLanguage(idioma, t)) << idioma;
    return t;
}

TEST(LanguageTable, EveryLanguageFillsAll49SlotsWithValidText) {
    for (const LanguageName& name : kLanguageNames) {
        const T t = Filled(name.idioma);
        for (Slot slot : kAllSlots) {
            EXPECT_FALSE((t.*slot).empty()) << core::Cp1252ToUtf8(name.idioma);
            // An escape that swallowed a letter, or an unassigned byte, decodes to U+FFFD.
            EXPECT_EQ(core::Cp1252ToUtf8(t.*slot).find("\xEF\xBF\xBD"), std::string::npos);
        }
    }
}

TEST(LanguageTable, SampleSlotsMatchTheirLanguageExactlyIncludingSpacesAndLineBreaks) {
    struct Case {
        const char* idioma;  // Windows-1252
        Slot slot;
        const char* utf8;
    };
    const Case cases[] = {
        {"Espa\xF1ol", &T::TxtRunning, "RACE07 EN MARCHA"},
        {"Espa\xF1ol", &T::TxtGraphics, "Gráficos"},
        {"Espa\xF1ol", &T::TxtBadIp,
         "La IP introducida no es valida\r\nDebería de tener la forma XXX.XXX.XXX.XXX\r\n"
         "Donde XXX es un valor numerico de 000 a 255"},
        {"Catal\xE0", &T::TxtIpAddress, "Adreça IP"},
        {"Catal\xE0", &T::TxtBadPort,
         "El port introduit no es vàlid\r\nintrodueix un valor entre 0 i 65535"},
        {"Asturianu", &T::TxtRunning, "RACE07 N'ANDANCIA"},
        {"Asturianu", &T::TxtIpAddress, "Direición IP"},
        {"English", &T::TxtScanning, "Scanning..."},
        {"English", &T::TxtMetric, "Metric"},
        {"Francais", &T::TxtMetric, "Métrique "},
        {"Francais", &T::TxtImperial, "Impérial "},
        {"Francais", &T::TxtBadIp,
         "Cette adresse IP n'est pas valide\r\nElle devrait être au format XXX.XXX.XXX.XXX\r\n"
         "où XXX est une valeur comprise entre 000 et 255"},
        {"Deutsch", &T::TxtMetric, "Metrisch "},
        {"Deutsch", &T::TxtImperial, "Imperial"},
        {"Deutsch", &T::TxtAboutMenu, "Über"},
        {"Deutsch", &T::TxtContact, "Zündung"},
        {"Dutch", &T::TxtRunning, "RACE07 GESTART"},
        {"Dutch", &T::TxtBadPort, "Verkeerde Poort\r\nGetal moet tussen 0 en 65535 zijn."},
        {"Italiano", &T::TxtNotRunning, "RACE07 NON IN ESECUZ."},
        {"Italiano", &T::TxtAboutMenu, "Informazioni su..."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(core::Cp1252ToUtf8(Filled(c.idioma).*c.slot), c.utf8) << c.idioma;
    }
}

TEST(LanguageTable, UnknownOrMiscasedNameMatchesNothingAndKeepsSlots) {
    const char* unknown[] = {"english", "Espanol", "Español" /* UTF-8 */, "English ", ""};
    for (const char* idioma : unknown) {
        T t;
        t.TxtRunning = "kept";
        EXPECT_FALSE(FillLanguage(idioma, t)) << idioma;
        EXPECT_EQ(t.TxtRunning, "kept");
        EXPECT_TRUE(t.TxtScanning.empty());
    }
}

TEST(LanguageTable, NamesAreInMenuOrderWithFixedCaptions) {
    const char* idiomas[] = {"Español",  "Català",  "Asturianu", "English",
                             "Francais", "Deutsch", "Dutch",     "Italiano"};
    for (std::size_t i = 0; i < kLanguageCount; ++i) {
        EXPECT_EQ(core::Cp1252ToUtf8(kLanguageNames[i].idioma), idiomas[i]);
        EXPECT_EQ(FindLanguage(kLanguageNames[i].idioma), i);
    }
    EXPECT_EQ(core::Cp1252ToUtf8(kLanguageNames[4].caption), "Français");
    EXPECT_EQ(kLanguageNames[3].caption, "English");
}

}  // namespace
}  // namespace kerbview::ui
