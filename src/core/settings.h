// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kerbview::core {

/// "Español" in Windows-1252, the default language name.
inline constexpr std::string_view kDefaultIdioma = "Espa\xF1ol";
inline constexpr std::string_view kDefaultIP = "192.168.000.002";

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

/// IniPath for a program folder: folder + "/Kerbview.ini".
std::string IniPathFor(const std::string& programFolder);

/// Start-up steps 2 to 5: reads every setting with its default, normalises it (validIp decides
/// whether a stored IP is kept), and writes the eight thresholds back to section MaxMin.
/// Throws NumberError for a value out of its field's range or an unreadable truth value; the
/// caller reports "Main" (silently before DebugEnabled is known) and ends start-up.
/// On a throw, out.DebugEnabled tells whether it was read before the failure.
Settings LoadSettings(const SettingsStore& store, bool (*validIp)(std::string_view),
                      bool* debugKnown = nullptr);

}  // namespace kerbview::core
