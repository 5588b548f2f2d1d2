// SPDX-License-Identifier: MIT
#include "ui/language_table.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

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
    &T::TxtImperial, &T::TxtShowServerData, &T::TxtWebDashboard, &T::TxtWebPortBusy,
    &T::TxtReplay, &T::TxtReplayPause, &T::TxtReplaySpeed, &T::TxtReplayProblem,
    &T::TxtReplayCannotOpen, &T::TxtReplayNotRecording, &T::TxtReplayNewer, &T::TxtReplayDamaged,
    &T::TxtReplayNeedsNoClient,
    &T::TxtRecordStints, &T::TxtRecordingStopped, &T::TxtLapsMenu, &T::TxtRaceSettingsMenu,
&T::TxtLapsTitle, &T::TxtLapTime, &T::TxtFuelUsed, &T::TxtFuelAtLine, &T::TxtPosition, &T::TxtPit, &T::TxtPitIn, &T::TxtPitOut, &T::TxtTyre, &T::TxtBrakes, &T::TxtConsumption, &T::TxtFromLaps, &T::TxtFromEarlier, &T::TxtLapsOfFuel, &T::TxtMinutesOfFuel, &T::TxtLapsToDrive, &T::TxtFuelNeeded, &T::TxtFuelToAdd, &T::TxtStops, &T::TxtTyreTemperature, &T::TxtExportCsv, &T::TxtExportFailed, &T::TxtExportRecording, &T::TxtExportMotecCsv, &T::TxtRaceLength, &T::TxtLapsUnit, &T::TxtMinutesUnit, &T::TxtReserveLaps, &T::TxtTankSize, &T::TxtBadRaceValue,
};
// clang-format on
static_assert(std::size(kAllSlots) == 94);
static_assert(sizeof(T) == 94 * sizeof(std::string));

T Filled(std::string_view idioma) {
    T t;
    EXPECT_TRUE(FillLanguage(idioma, t)) << idioma;
    return t;
}

TEST(LanguageTable, EveryLanguageFillsEverySlotWithValidText) {
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
    // The language (Windows-1252), a slot and its text in UTF-8. The hazards: accents, trailing
    // blanks, embedded line breaks. The link-state texts of every language are ProgramWire's
    // table, byte for byte on the wire.
    const std::tuple<const char*, Slot, const char*> cases[] = {
        {"Espa\xF1ol", &T::TxtGraphics, "Gráficos"},
        {"Espa\xF1ol", &T::TxtBadIp,
         "La IP introducida no es valida\r\nDebería de tener la forma XXX.XXX.XXX.XXX\r\n"
         "Donde XXX es un valor numerico de 000 a 255"},
        {"Catal\xE0", &T::TxtBadPort,
         "El port introduit no es vàlid\r\nintrodueix un valor entre 0 i 65535"},
        {"Asturianu", &T::TxtIpAddress, "Direición IP"},
        {"Francais", &T::TxtMetric, "Métrique "},
        {"Deutsch", &T::TxtMetric, "Metrisch "},
        {"Deutsch", &T::TxtImperial, "Imperial"},
        {"Francais", &T::TxtRecordingStopped,
         "L'enregistrement s'est arrêté : le fichier n'a pas pu être écrit"}};
    for (const auto& [idioma, slot, utf8] : cases) {
        EXPECT_EQ(core::Cp1252ToUtf8(Filled(idioma).*slot), utf8) << idioma;
    }
    EXPECT_EQ(core::Cp1252ToUtf8(kLanguageNames[4].caption), "Français");  // menu caption
}

}  // namespace
}  // namespace kerbview::ui
