// SPDX-License-Identifier: MIT
#include "core/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/number_rules.h"
#include "temp_dir.h"

namespace kerbview::core {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

constexpr std::string_view kThresholdsWritten =
    "[MaxMin]\r\nMaxPneu=100\r\nMinPneu=80\r\nMaxMotor=100\r\nMinMotor=90\r\n"
    "MaxPress=220\r\nMinPress=180\r\nMaxFrens=600\r\nMinFrens=300\r\n";

// Every field by its key, as text: integers plain, truth values True/False.
std::map<std::string, std::string, std::less<>> Fields(const Settings& s) {
    // clang-format off
    return {{"Idioma", s.Idioma}, {"ScanTime", PlainText(s.ScanTime)},
            {"TipusConexio", PlainText(s.TipusConexio)}, {"Port", s.Port}, {"IP", s.IP},
            {"NoGrafics", TruthText(s.NoGrafics)}, {"Unitats", s.Unitats},
            {"DadesServ", TruthText(s.DadesServ)}, {"PosFormX", PlainText(s.PosFormX)},
            {"PosFormY", PlainText(s.PosFormY)}, {"BackgroundColor", PlainText(s.BackgroundColor)},
            {"MaxPneu", PlainText(s.MaxPneu)}, {"MinPneu", PlainText(s.MinPneu)},
            {"MaxMotor", PlainText(s.MaxMotor)}, {"MinMotor", PlainText(s.MinMotor)},
            {"MaxPress", PlainText(s.MaxPress)}, {"MinPress", PlainText(s.MinPress)},
            {"MaxFrens", PlainText(s.MaxFrens)}, {"MinFrens", PlainText(s.MinFrens)},
            {"Administrar", TruthText(s.AdminEnabled)}, {"Depurar", TruthText(s.DebugEnabled)},
            {"Web/Enabled", TruthText(s.WebEnabled)}, {"Web/Port", PlainText(s.WebPort)}};
    // clang-format on
}

// A key of section Web is written "Web/Key" in the tables, as its names repeat those of Opcions.
std::string_view KeyOf(std::string_view key) {
    return key.substr(0, 4) == "Web/" ? key.substr(4) : key;
}

std::string SectionOf(std::string_view key) {
    if (key.substr(0, 4) == "Web/") return "Web";
    if (key == "Administrar" || key == "Depurar") return std::string(key);
    if (key.substr(0, 3) == "Max" || key.substr(0, 3) == "Min") return "MaxMin";
    return "Opcions";
}

class SettingsLoad : public ::testing::Test {
protected:
    Settings Load(char sep = '.') { return LoadSettings(store, sep, reporter); }

    TempDir dir;
    SettingsStore store{IniPathFor(dir.Path().string())};
    ErrorReporter reporter;
};

TEST_F(SettingsLoad, NoFileGivesEveryDefaultAndWritesOnlyTheThresholds) {
    Settings s = Load();
    const Settings defaults;
    EXPECT_EQ(s.Idioma, "Espa\xF1ol");
    EXPECT_EQ(Fields(s), Fields(defaults));
    EXPECT_EQ(s.ScanTime, 500);
    EXPECT_EQ(s.Port, "1001");
    EXPECT_EQ(s.IP, "192.168.000.002");
    EXPECT_TRUE(s.DadesServ);
    EXPECT_EQ(ReadBytes(store.IniPath()), kThresholdsWritten);
}

TEST_F(SettingsLoad, EachValueIsNormalisedAsStartUpDoes) {
    struct Case {
        const char* key;
        std::string stored;
        const char* loaded;
        char sep = '.';
    };
    // clang-format off
    const Case cases[] = {
        {"Idioma", "English", "English"}, {"Idioma", std::string(300, 'L'), nullptr},  // cut to 254
        {"ScanTime", "200", "200"}, {"ScanTime", "1e2", "100"}, {"ScanTime", "32767", "32767"},
        {"ScanTime", "-32768", "-32768"}, {"ScanTime", "  150ms", "150"},
        {"TipusConexio", "2", "2"}, {"Port", "0080", "80"}, {"Port", "abc", "0"},
        {"Port", "1001.5", "1001.5"}, {"Port", "1001.5", "1001,5", ','},
        {"Port", "1001,5", "1001", ','}, {"IP", "abc", "192.168.000.002"},
        {"IP", "192.168.0.2", "192.168.000.002"}, {"IP", "192.168.000.256", "192.168.000.002"},
        {"IP", "010.000.000.001", "010.000.000.001"},
        {"IP", " 12.168.000.002", "192.168.000.002"},  // reading drops the blank: too short
        {"NoGrafics", "true", "True"}, {"NoGrafics", "-1", "True"}, {"NoGrafics", "0", "False"},
        {"NoGrafics", "", "False"}, {"Unitats", "Imperial", "Imperial"},
        {"Unitats", "metric", "Metric"}, {"Unitats", "IMPERIAL", "Metric"},
        {"Unitats", "Kelvin", "Metric"}, {"DadesServ", "False", "False"},
        {"DadesServ", "", "True"}, {"PosFormX", "-200", "-200"}, {"PosFormX", "1234.5", "1234"},
        {"PosFormY", "1235.5", "1236"}, {"PosFormY", "2147483647", "2147483647"},
        {"BackgroundColor", "-5", "0"}, {"BackgroundColor", "16777215", "16777215"},
        {"BackgroundColor", "-2147483648", "0"}, {"MaxPneu", "abc", "0"},
        {"MaxMotor", "99.5", "100"}, {"MaxMotor", "98.5", "98"}, {"MinFrens", "-0.5", "0"},
        {"MaxPress", "250,7", "250", ','},  // the settings file always takes the point
        {"Administrar", "TRUE", "True"}, {"Depurar", "True", "True"}, {"Depurar", "0", "False"},
        // The web dashboard's settings never stop the start-up.
        {"Web/Enabled", "1", "True"}, {"Web/Enabled", "yes", "False"}, {"Web/Port", "8100", "8100"},
        {"Web/Port", "65536", "8099"}, {"Web/Port", "0", "8099"}, {"Web/Port", "80.5", "8099"},
        {"Web/Port", "1e999", "8099"}, {"Web/Port", " 1024 ", "1024"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.stored);
        WriteBytes(store.IniPath(), "[" + SectionOf(c.key) + "]\r\n" + std::string(KeyOf(c.key)) +
                                        "=" + c.stored + "\r\n");
        Settings s = Load(c.sep);
        if (c.loaded) {
            EXPECT_EQ(Fields(s).at(c.key), c.loaded);
        } else {
            EXPECT_EQ(Fields(s).at(c.key), c.stored.substr(0, 254));
        }
    }
}

TEST_F(SettingsLoad, OutOfRangeOrUnreadableValueFailsSilentlyAndWritesNothing) {
    struct Case {
        const char* key;
        const char* stored;
    };
    // clang-format off
    const Case cases[] = {
        {"ScanTime", "32768"}, {"ScanTime", "-32769"}, {"ScanTime", "1e10"},
        {"ScanTime", "32767.5"}, {"TipusConexio", "40000"}, {"Port", "1e999"},
        {"NoGrafics", "yes"}, {"DadesServ", "maybe"}, {"PosFormX", "2147483648"},
        {"PosFormY", "-2147483649"}, {"BackgroundColor", "1e12"}, {"MaxPneu", "99999"},
        {"MinFrens", "-40000"}, {"Administrar", "x"}, {"Depurar", "no"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.stored);
        const std::string original = "[" + SectionOf(c.key) + "]\r\n" + c.key + "=" + c.stored +
                                     "\r\n[Depurar]\r\nDepurar=1\r\n";
        WriteBytes(store.IniPath(), original);
        ErrorReporter fresh;
        try {
            LoadSettings(store, '.', fresh);
            ADD_FAILURE() << "no error";
        } catch (const SettingsLoadError& e) {
            EXPECT_NE(dynamic_cast<const NumberError*>(&e), nullptr) << "callers catch that";
            EXPECT_EQ(e.Key(), c.key);
            EXPECT_FALSE(e.DebugKnown());
        }
        EXPECT_FALSE(fresh.debugEnabled()) << "the Main report must stay silent";
        EXPECT_EQ(ReadBytes(store.IniPath()), original);
    }
}

TEST_F(SettingsLoad, ThresholdsAreWrittenBackNormalisedAndOtherContentSurvives) {
    const std::string before =
        "; mine\r\n[Opcions]\r\nIdioma=English\r\n\r\n"
        "[MaxMin]\r\nMaxPneu= 99.5 \r\nMinMotor=abc\r\nMaxFrens=0600\r\n; "
        "end\r\n\r\n[Other]\r\nx=1\r\n";
    WriteBytes(store.IniPath(), before);
    Load();
    EXPECT_EQ(ReadBytes(store.IniPath()),
              "; mine\r\n[Opcions]\r\nIdioma=English\r\n\r\n"
              "[MaxMin]\r\nMaxPneu= 100\r\nMinMotor=0\r\nMaxFrens=600\r\nMinPneu=80\r\n"
              "MaxMotor=100\r\nMaxPress=220\r\nMinPress=180\r\nMinFrens=300\r\n; end\r\n\r\n"
              "[Other]\r\nx=1\r\n");
}

TEST_F(SettingsLoad, DebugSwitchReachesTheReporterAndAnIpConversionFailureIsSilentBeforeIt) {
    std::vector<std::string> lines;
    reporter.setSink([&](const std::string& line) { lines.push_back(line); });
    WriteBytes(store.IniPath(), "[Opcions]\r\nIP=abc.def.ghi.jkl\r\n[Depurar]\r\nDepurar=True\r\n");
    Settings s = Load();
    EXPECT_EQ(s.IP, kDefaultIP);
    EXPECT_EQ(reporter.ErrorProc(), "Valid_IP");
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(s.DebugEnabled);
    EXPECT_TRUE(reporter.debugEnabled());
}

TEST_F(SettingsLoad, UnwritableFolderStillLoadsEverySetting) {
    SettingsStore nowhere(IniPathFor((dir.Path() / "missing").string()));
    Settings s = LoadSettings(nowhere, '.', reporter);
    EXPECT_EQ(s.MaxFrens, 600);
    EXPECT_FALSE(std::filesystem::exists(nowhere.IniPath()));
}

TEST(SettingsStore, WritesAndReadsTheFileBesideTheProgramWithOneSeparator) {
    TempDir dir;
    SettingsStore store(IniPathFor(dir.Path().string()));
    EXPECT_EQ(store.IniPath(), (dir.Path() / "Kerbview.ini").string());
    EXPECT_TRUE(store.Write("Opcions", "Idioma", "Espa\xF1ol"));
    EXPECT_EQ(store.Read("opcions", "IDIOMA", "x"), "Espa\xF1ol");
    EXPECT_EQ(store.Read("Opcions", "Missing", ""), "-1");
    EXPECT_EQ(IniPathFor("/opt/kerbview"), "/opt/kerbview/Kerbview.ini");
    EXPECT_EQ(IniPathFor("/opt/kerbview/"), "/opt/kerbview/Kerbview.ini");
    EXPECT_EQ(IniPathFor("C:\\Kerbview\\"), "C:\\Kerbview\\Kerbview.ini");
    EXPECT_EQ(IniPathFor(""), "Kerbview.ini");
}

}  // namespace
}  // namespace kerbview::core
