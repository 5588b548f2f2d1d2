// SPDX-License-Identifier: MIT
#include "core/settings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>

#include "core/address_rules.h"
#include "core/profile_text.h"

namespace kerbview::core {
namespace {

struct Threshold {
    std::string_view key;
    std::string_view defaultText;
    std::int16_t Settings::*field;
};

// The MaxMin section, in the order of reading and of the write-back.
constexpr std::array<Threshold, 8> kThresholds = {{
    {"MaxPneu", "100", &Settings::MaxPneu},
    {"MinPneu", "80", &Settings::MinPneu},
    {"MaxMotor", "100", &Settings::MaxMotor},
    {"MinMotor", "90", &Settings::MinMotor},
    {"MaxPress", "220", &Settings::MaxPress},
    {"MinPress", "180", &Settings::MinPress},
    {"MaxFrens", "600", &Settings::MaxFrens},
    {"MinFrens", "300", &Settings::MinFrens},
}};

// Reads keys in order and remembers the last one, so a failure can name it.
class Reader {
public:
    explicit Reader(const SettingsStore& store) : m_store(store) {}

    std::string Text(std::string_view section, std::string_view key, std::string_view def) {
        m_section = section;
        m_key = key;
        m_value = m_store.Read(section, key, def);
        return m_value;
    }
    std::int16_t Int16(std::string_view section, std::string_view key, std::string_view def) {
        return ToInt16(ReadLeadingNumber(Text(section, key, def)));
    }
    std::int32_t Int32(std::string_view section, std::string_view key, std::string_view def) {
        return ToInt32(ReadLeadingNumber(Text(section, key, def)));
    }
    bool Truth(std::string_view section, std::string_view key, std::string_view def) {
        return ReadTruth(Text(section, key, def));
    }
    std::string_view LastSection() const { return m_section; }
    std::string_view LastKey() const { return m_key; }
    const std::string& LastValue() const { return m_value; }

private:
    const SettingsStore& m_store;
    std::string_view m_section;
    std::string_view m_key;
    std::string m_value;
};

// The web dashboard's and the recordings' settings came after the others: a value that cannot be
// read switches the feature off or takes the default, instead of ending the start-up without a
// window.
bool ReadOptionalTruth(const std::string& text) {
    try {
        return ReadTruth(text);
    } catch (const NumberError&) {
        return false;
    }
}

// A whole number from 1 to highest, else fallback.
std::uint32_t ReadWholeNumber(const std::string& text, std::uint32_t highest,
                              std::uint32_t fallback) {
    double number = 0;
    try {
        number = ReadLeadingNumber(text);
    } catch (const NumberError&) {
        return fallback;
    }
    if (number >= 1 && number <= highest && number == std::floor(number)) {
        return static_cast<std::uint32_t>(number);
    }
    return fallback;
}

}  // namespace

SettingsStore::SettingsStore(std::filesystem::path iniPath)
    : m_iniPath(std::move(iniPath)), m_ownFiles(MakeFileSystem()), m_files(*m_ownFiles) {}

SettingsStore::SettingsStore(std::filesystem::path iniPath, FileSystem& files)
    : m_iniPath(std::move(iniPath)), m_files(files) {}

WriteResult SettingsStore::Write(std::string_view section, std::string_view key,
                                 std::string_view value) {
    if (!WritableProfileNames(section, key)) {
        return {WriteStatus::Failed, "a section or key name cannot be written: [" +
                                         std::string(section) + "] " + std::string(key)};
    }
    const auto kept = std::find_if(m_pending.begin(), m_pending.end(), [&](const ProfileEntry& e) {
        return SameProfileName(e.section, section) && SameProfileName(e.key, key);
    });
    if (kept != m_pending.end()) {
        kept->value = value;
    } else {
        m_pending.push_back({std::string(section), std::string(key), std::string(value)});
    }
    if (m_batch) return {WriteStatus::Held, ""};
    return Flush();
}

WriteResult SettingsStore::Flush(std::chrono::milliseconds patience) {
    if (m_pending.empty()) return {};
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        WriteResult result =
            WriteProfileValues(m_files, m_iniPath, m_pending, std::max(left, left.zero()));
        if (result.Ok()) m_pending.clear();
        if (result.status != WriteStatus::Busy || std::chrono::steady_clock::now() >= deadline) {
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void SettingsStore::BeginBatch() { m_batch = true; }

WriteResult SettingsStore::EndBatch() {
    m_batch = false;
    return Flush();
}

std::string SettingsStore::Read(std::string_view section, std::string_view key,
                                std::string_view defaultText) const {
    for (const ProfileEntry& e : m_pending) {
        if (SameProfileName(e.section, section) && SameProfileName(e.key, key)) {
            // As the file will read once it is written: cut at a line end, blanks trimmed.
            const std::string written = WithProfileValue("", e.section, e.key, e.value);
            return IniValueOrDefault(ProfileValueIn(written, section, key), defaultText);
        }
    }
    return ReadIni(m_iniPath, section, key, defaultText);
}

std::filesystem::path IniPathFor(const std::filesystem::path& programFolder) {
    constexpr std::string_view kFileName = "Kerbview.ini";
    return programFolder.empty() ? std::filesystem::path(kFileName) : programFolder / kFileName;
}

bool RaceValueFits(double value, double highest, bool whole) {
    return value >= 0 && value <= highest && (!whole || value == std::floor(value));
}

namespace {

double ReadRaceValue(const SettingsStore& store, std::string_view key, double highest,
                     double fallback, bool whole = false) {
    try {
        const double value = ParseWireDouble(store.Read(kRace, key, ""));
        return RaceValueFits(value, highest, whole) ? value : fallback;
    } catch (const NumberError&) {
        return fallback;
    }
}

}  // namespace

Settings LoadSettings(SettingsStore& store, char decimalSeparator, ErrorReporter& reporter) {
    Settings s;
    Reader in(store);
    bool debugKnown = false;
    try {
        s.Idioma = in.Text(kOpcions, "Idioma", kDefaultIdioma);
        s.ScanTime = in.Int16(kOpcions, "ScanTime", "500");
        s.TipusConexio = static_cast<Role>(in.Int16(kOpcions, "TipusConexio", "0"));
        s.Port = PortSettingText(in.Text(kOpcions, "Port", "1001"), decimalSeparator);
        s.IP = in.Text(kOpcions, "IP", kDefaultIP);
        if (!Valid_IP(s.IP, decimalSeparator, reporter)) s.IP = kDefaultIP;
        s.NoGrafics = in.Truth(kOpcions, "NoGrafics", "0");
        s.Unitats = in.Text(kOpcions, "Unitats", "Metric");
        if (s.Unitats != "Metric" && s.Unitats != "Imperial") s.Unitats = "Metric";
        s.DadesServ = in.Truth(kOpcions, "DadesServ", "1");
        s.PosFormX = in.Int32(kOpcions, "PosFormX", "0");
        s.PosFormY = in.Int32(kOpcions, "PosFormY", "0");
        s.BackgroundColor = in.Int32(kOpcions, "BackgroundColor", "0");
        if (s.BackgroundColor < 0) s.BackgroundColor = 0;
        for (const Threshold& t : kThresholds) s.*t.field = in.Int16(kMaxMin, t.key, t.defaultText);
        s.AdminEnabled = in.Truth("Administrar", "Administrar", "0");
        s.DebugEnabled = in.Truth("Depurar", "Depurar", "0");
        debugKnown = true;
    } catch (const NumberError& e) {
        throw SettingsLoadError(e.what(), std::string(in.LastSection()), std::string(in.LastKey()),
                                in.LastValue(), debugKnown);
    }
    s.WebEnabled = ReadOptionalTruth(store.Read(kWeb, "Enabled", "0"));
    s.WebPort = static_cast<std::uint16_t>(
        ReadWholeNumber(store.Read(kWeb, "Port", ""), 65535, kDefaultWebPort));
    s.RecordingEnabled = ReadOptionalTruth(store.Read(kRecording, "Enabled", "0"));
    s.RecordingLimitMB =
        ReadWholeNumber(store.Read(kRecording, "LimitMB", ""), 1'000'000, kDefaultRecordingLimitMB);
    s.RaceLengthMinutes = SameProfileName(store.Read(kRace, "LengthUnit", "Laps"), "Minutes");
    s.RaceLength = ReadRaceValue(store, "Length", kMaxRaceLength, 0, !s.RaceLengthMinutes);
    s.RaceReserveLaps = ReadRaceValue(store, "ReserveLaps", kMaxRaceReserveLaps, 1);
    s.RaceTankSize = ReadRaceValue(store, "TankSize", kMaxRaceTankSize, 0);
    for (const Threshold& t : kThresholds) store.Write(kMaxMin, t.key, PlainText(s.*t.field));
    return s;
}

}  // namespace kerbview::core
