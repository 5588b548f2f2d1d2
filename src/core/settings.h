// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/error_report.h"
#include "core/file_system.h"
#include "core/number_rules.h"
#include "core/profile_file.h"

namespace kerbview::core {

/// "Español" in Windows-1252, the default language name.
inline constexpr std::string_view kDefaultIdioma = "Espa\xF1ol";
inline constexpr std::string_view kDefaultIP = "192.168.000.002";

/// Section names of Kerbview.ini.
inline constexpr std::string_view kOpcions = "Opcions";
inline constexpr std::string_view kMaxMin = "MaxMin";
inline constexpr std::string_view kWeb = "Web";
inline constexpr std::string_view kRecording = "Recording";
inline constexpr std::string_view kRace = "Race";

/// Port of the web dashboard when the settings file names none, or none that can be used.
inline constexpr std::uint16_t kDefaultWebPort = 8099;
/// Size limit of the recordings folder, in megabytes, when the settings file names none, or
/// none that can be used.
inline constexpr std::uint32_t kDefaultRecordingLimitMB = 1000;
/// The largest values [Race] takes: a race length (laps or minutes), reserve laps and a tank
/// size in litres. Larger ones are typing errors.
inline constexpr double kMaxRaceLength = 100'000;
inline constexpr double kMaxRaceReserveLaps = 1'000;
inline constexpr double kMaxRaceTankSize = 10'000;

/// The connection role TipusConexio. The settings file holds its number; a number that is none
/// of the three (a hand-edited file) is kept as it is and stands for no role at all: no role
/// item is checked, no socket opened, nothing sent or shown, and the simulator is not read.
enum class Role : std::int16_t { None = 0, Server = 1, Client = 2 };

/// The number the settings file holds for a role.
constexpr std::int16_t RoleNumber(Role role) { return static_cast<std::int16_t>(role); }

/// Every persisted option, named after its key in Kerbview.ini. Texts are Windows-1252.
struct Settings {
    std::string Idioma{kDefaultIdioma};
    std::int16_t ScanTime = 500;
    Role TipusConexio = Role::None;
    std::string Port = "1001";
    std::string IP{kDefaultIP};
    bool NoGrafics = false;
    std::string Unitats = "Metric";  // exactly "Metric" or "Imperial"
    bool DadesServ = true;
    std::int32_t PosFormX = 0;  // twips
    std::int32_t PosFormY = 0;
    std::int32_t BackgroundColor = 0;
    std::int16_t MaxPneu = 100;
    std::int16_t MinPneu = 80;
    std::int16_t MaxMotor = 100;
    std::int16_t MinMotor = 90;
    std::int16_t MaxPress = 220;
    std::int16_t MinPress = 180;
    std::int16_t MaxFrens = 600;
    std::int16_t MinFrens = 300;
    bool AdminEnabled = false;
    bool DebugEnabled = false;
    // Section Web, keys Enabled and Port: the web dashboard.
    bool WebEnabled = false;
    std::uint16_t WebPort = kDefaultWebPort;
    // Section Recording, keys Enabled and LimitMB: the recordings of the stints.
    bool RecordingEnabled = false;
    std::uint32_t RecordingLimitMB = kDefaultRecordingLimitMB;
    // Section Race, keys Length, LengthUnit (Laps or Minutes), ReserveLaps and TankSize: the
    // race the fuel strategy counts to. A length of 0 is none; a tank size of 0 is unknown.
    double RaceLength = 0;
    bool RaceLengthMinutes = false;
    double RaceReserveLaps = 1;
    double RaceTankSize = 0;  // litres
};

/// A [Race] value that can be taken: a number from 0 to highest, and a whole one when whole.
bool RaceValueFits(double value, double highest, bool whole = false);

/// The settings file beside the executable: its path, fixed at start-up, and the write used by
/// every Canvia_ procedure.
class SettingsStore {
public:
    /// Writes go through the platform's file services.
    explicit SettingsStore(std::filesystem::path iniPath);
    /// Writes go through files, which must outlive the store (tests hand in failing ones).
    SettingsStore(std::filesystem::path iniPath, FileSystem& files);
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    const std::filesystem::path& IniPath() const { return m_iniPath; }

    /// Writes section/key = value (Windows-1252 text) together with any value kept from an
    /// earlier write, and never waits more than a few milliseconds. Written: the file holds
    /// them. Busy: another writer (a second copy of Kerbview, an editor) held the file; the
    /// values are kept and written by the next Write or Flush, and Read already gives them.
    /// Failed: the file could not be written (error says why, for the error report); the values
    /// are kept too and tried again with the next write. Held: a batch is open; the value is
    /// kept for its end. Never throws.
    WriteResult Write(std::string_view section, std::string_view key, std::string_view value);
    /// Writes the values kept from earlier writes, if any (Written when there are none),
    /// waiting up to patience for other writers of the file. Call it before the program ends.
    WriteResult Flush(std::chrono::milliseconds patience = kWriterLockPatience);
    /// From here to EndBatch, Write only keeps its values (Held), so that a run of writes costs
    /// one rewrite of the file, not one each.
    void BeginBatch();
    /// Ends the batch and writes every value kept, as Flush does, in one rewrite whose bytes are
    /// those the separate writes would have made.
    WriteResult EndBatch();
    /// ReadIni on this file; a value kept for a later write is read as written.
    std::string Read(std::string_view section, std::string_view key,
                     std::string_view defaultText) const;

private:
    std::filesystem::path m_iniPath;
    std::unique_ptr<FileSystem> m_ownFiles;
    FileSystem& m_files;
    // Values not yet in the file, at most one per key.
    std::vector<ProfileEntry> m_pending;
    bool m_batch = false;
};

/// IniPath for a program folder: folder / "Kerbview.ini" (just "Kerbview.ini" for an empty
/// folder).
std::filesystem::path IniPathFor(const std::filesystem::path& programFolder);

/// A start-up read that failed: a value out of its field's range, or a truth value that is
/// neither a number nor True/False. The caller reports "Main" and ends start-up: no window.
class SettingsLoadError : public NumberError {
public:
    SettingsLoadError(const std::string& what, std::string section, std::string key,
                      std::string value, bool debugKnown)
        : NumberError(what),
          m_section(std::move(section)),
          m_key(std::move(key)),
          m_value(std::move(value)),
          m_debugKnown(debugKnown) {}
    /// Section, key and value (Windows-1252, as read) of the setting that failed.
    const std::string& Section() const { return m_section; }
    const std::string& Key() const { return m_key; }
    const std::string& Value() const { return m_value; }
    /// True when DebugEnabled had been read before the failure, so the "Main" report follows
    /// it; false (always, with the current read order) means the debug window stays silent.
    bool DebugKnown() const { return m_debugKnown; }

private:
    std::string m_section;
    std::string m_key;
    std::string m_value;
    bool m_debugKnown;
};

/// Start-up steps 2 to 5 of Main: reads every setting with its default, normalises Port (leading
/// number back to plain decimal text), IP (Valid_IP, else kDefaultIP), Unitats (exactly "Metric"
/// or "Imperial", else "Metric") and BackgroundColor (negative becomes 0), then writes the eight
/// MaxMin thresholds back in order as plain decimal text. Integers are rounded halves to even.
/// The web dashboard's two settings never stop the start-up: an unreadable Enabled is off, and a
/// Port that is not a whole number from 1 to 65535 is kDefaultWebPort. The same for the recordings'
/// two: an unreadable Enabled is off, a LimitMB that is not a whole number from 1 to 1,000,000 is
/// kDefaultRecordingLimitMB. The race's four neither: a number that RaceValueFits not (a point
/// or a comma as the decimal mark) is its default (no length, 1 reserve lap, no tank size), and
/// a LengthUnit other than Minutes (in any letter case) is laps. Nothing is written for them.
/// Reports made while loading (Valid_IP's) come before DebugEnabled is read.
/// Throws SettingsLoadError (a NumberError) and writes nothing when a value is out of range or a
/// truth value unreadable. A failed write-back is not noticed.
Settings LoadSettings(SettingsStore& store, char decimalSeparator, ErrorReporter& reporter);

}  // namespace kerbview::core
