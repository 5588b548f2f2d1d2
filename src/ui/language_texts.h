// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace kerbview::ui {

/// The text slots of the current language, Windows-1252, all empty until a language is
/// applied. Readers take a slot at the moment they write a text.
struct LanguageTexts {
    std::string TxtScanning;
    std::string TxtRunning;
    std::string TxtNotRunning;
    std::string TxtLapTimes;
    std::string TxtBest;
    std::string TxtLast;
    std::string TxtCurrent;
    std::string TxtLap;
    std::string TxtWater;
    std::string TxtOil;
    std::string TxtFuelLastLap;
    std::string TxtLimiter;
    std::string TxtPits;
    std::string TxtTc;
    std::string TxtTcHigh;
    std::string TxtTcLow;
    std::string TxtAbs;
    std::string TxtAbsHigh;
    std::string TxtAbsLow;
    std::string TxtContact;
    std::string TxtEngine;
    std::string TxtAboutMenu;
    std::string TxtExit;
    std::string TxtLanguage;
    std::string TxtAboutTitle;
    std::string TxtAboutDescription;
    std::string TxtAboutCredit;
    std::string TxtFileMenu;
    std::string TxtOptionsMenu;
    std::string TxtScanTimeMenu;
    std::string TxtIpAddress;
    std::string TxtPort;
    std::string TxtBadIp;    // three lines joined by "\r\n"
    std::string TxtBadPort;  // two lines joined by "\r\n"
    std::string TxtConnectionMenu;
    std::string TxtNone;
    std::string TxtServer;
    std::string TxtClient;
    std::string TxtServerData;
    std::string TxtClientData;
    std::string TxtOk;
    std::string TxtConnected;
    std::string TxtConnecting;
    std::string TxtListening;
    std::string TxtNoLink;
    std::string TxtGraphics;
    std::string TxtMetric;
    std::string TxtImperial;
    std::string TxtShowServerData;
    // The web dashboard: its menu item and window title, and the line its window shows when
    // the port cannot be opened.
    std::string TxtWebDashboard;
    std::string TxtWebPortBusy;
    // The replay of a recording: the File menu's items (the speeds are TxtReplaySpeed and the
    // factor), the first line of its messages, and the second: why a file cannot be played
    // (the last two followed by a number), and why a client plays none.
    std::string TxtReplay;
    std::string TxtReplayPause;
    std::string TxtReplaySpeed;
    std::string TxtReplayProblem;
    std::string TxtReplayCannotOpen;
    std::string TxtReplayNotRecording;
    std::string TxtReplayNewer;
    std::string TxtReplayDamaged;
    std::string TxtReplayNeedsNoClient;
    // The stints' recordings: the menu item, and the first line of the message shown when a
    // recording cannot be written.
    std::string TxtRecordStints;
    std::string TxtRecordingStopped;
    // The lap history: the menu items of the Laps window and the race dialog.
    std::string TxtLapsMenu;
    std::string TxtRaceSettingsMenu;
    // The Laps window: its title, the columns' headers (with TxtLap, TxtWater and TxtOil), the
    // pit column's marks, the fuel figures (TxtFromLaps holds %1 for the count of laps), the
    // tyre plot, the export button and the message of a failed export.
    std::string TxtLapsTitle;
    std::string TxtLapTime;
    std::string TxtFuelUsed;
    std::string TxtFuelAtLine;
    std::string TxtPosition;
    std::string TxtPit;
    std::string TxtPitIn;
    std::string TxtPitOut;
    std::string TxtTyre;
    std::string TxtBrakes;
    std::string TxtConsumption;
    std::string TxtFromLaps;
    std::string TxtFromEarlier;
    std::string TxtLapsOfFuel;
    std::string TxtMinutesOfFuel;
    std::string TxtLapsToDrive;
    std::string TxtFuelNeeded;
    std::string TxtFuelToAdd;
    std::string TxtStops;
    std::string TxtTyreTemperature;
    std::string TxtExportCsv;
    std::string TxtExportFailed;
    // Export of a recording from the File menu: the item (and its choosers' title), and the name
    // of the MoTeC CSV layout among the file types.
    std::string TxtExportRecording;
    std::string TxtExportMotecCsv;
    // The race dialog: its fields, the two length units, and the message for a refused value.
    std::string TxtRaceLength;
    std::string TxtLapsUnit;
    std::string TxtMinutesUnit;
    std::string TxtReserveLaps;
    std::string TxtTankSize;
    std::string TxtBadRaceValue;
};

}  // namespace kerbview::ui
