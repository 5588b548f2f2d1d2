// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/error_report.h"
#include "core/number_rules.h"

namespace kerbview::core {

/// "Español" in Windows-1252, the default language name.
inline constexpr std::string_view kDefaultIdioma = "Espa\xF1ol";
inline constexpr std::string_view kDefaultIP = "192.168.000.002";

/// Section names of Kerbview.ini.
inline constexpr std::string_view kOpcions = "Opcions";
inline constexpr std::string_view kMaxMin = "MaxMin";
inline constexpr std::string_view kWeb = "Web";

/// Port of the web dashboard when the settings file names none, or none that can be used.
inline constexpr std::uint16_t kDefaultWebPort = 8099;

/// Every persisted option, named after its key in Kerbview.ini. Texts are Windows-1252.
struct Settings {
    std::string Idioma{kDefaultIdioma};
    std::int16_t ScanTime = 500;
    std::int16_t TipusConexio = 0;  // 0 none, 1 server, 2 client
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
};

/// The settings file beside the executable: its path, fixed at start-up, and the write used by
/// every Canvia_ procedure. A write that fails is not noticed: the value stays in effect.
class SettingsStore {
public:
    explicit SettingsStore(std::string iniPath) : m_iniPath(std::move(iniPath)) {}
    const std::string& IniPath() const { return m_iniPath; }
    /// Writes section/key = value (Windows-1252 text). Returns false when the file could not be
    /// written; callers ignore it.
    bool Write(std::string_view section, std::string_view key, std::string_view value) const;
    /// ReadIni on this file.
    std::string Read(std::string_view section, std::string_view key,
                     std::string_view defaultText) const;

private:
    std::string m_iniPath;
};

/// IniPath for a program folder: folder + "/Kerbview.ini" (no second separator when the folder
/// already ends with one; just "Kerbview.ini" for an empty folder).
std::string IniPathFor(const std::string& programFolder);

/// A start-up read that failed: a value out of its field's range, or a truth value that is
/// neither a number nor True/False. The caller reports "Main" and ends start-up: no window.
class SettingsLoadError : public NumberError {
public:
    SettingsLoadError(const std::string& what, std::string key, bool debugKnown)
        : NumberError(what), m_key(std::move(key)), m_debugKnown(debugKnown) {}
    /// The key whose value failed.
    const std::string& Key() const { return m_key; }
    /// True when DebugEnabled had been read before the failure, so the "Main" report follows
    /// it; false (always, with the current read order) means the report must be silent.
    bool DebugKnown() const { return m_debugKnown; }

private:
    std::string m_key;
    bool m_debugKnown;
};

/// Start-up steps 2 to 5 of Main: reads every setting with its default, normalises Port (leading
/// number back to plain decimal text), IP (Valid_IP, else kDefaultIP), Unitats (exactly "Metric"
/// or "Imperial", else "Metric") and BackgroundColor (negative becomes 0), then writes the eight
/// MaxMin thresholds back in order as plain decimal text. Integers are rounded halves to even.
/// The web dashboard's two settings never stop the start-up: an unreadable Enabled is off, and a
/// Port that is not a whole number from 1 to 65535 is kDefaultWebPort.
/// As soon as DebugEnabled is read it is handed to reporter, so reports (the Valid_IP one, and
/// the caller's "Main") follow it; before that they are silent.
/// Throws SettingsLoadError (a NumberError) and writes nothing when a value is out of range or a
/// truth value unreadable. A failed write-back is not noticed.
Settings LoadSettings(const SettingsStore& store, char decimalSeparator, ErrorReporter& reporter);

}  // namespace kerbview::core
