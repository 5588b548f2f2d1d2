// SPDX-License-Identifier: MIT
#include "core/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "child_process.h"
#include "core/number_rules.h"
#include "core/path_text.h"
#include "faulty_files.h"
#include "temp_dir.h"

namespace kerbview::core {
namespace {

using testing::FaultyFiles;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
namespace fs = std::filesystem;

// Every field by its key, as text: integers plain, truth values True/False. A key of sections Web
// and Recording is written "Web/Key", "Recording/Key", as their names repeat those of Opcions.
std::map<std::string, std::string, std::less<>> Fields(const Settings& s) {
    // clang-format off
    return {{"Idioma", s.Idioma}, {"ScanTime", PlainText(s.ScanTime)},
            {"TipusConexio", PlainText(RoleNumber(s.TipusConexio))}, {"Port", s.Port}, {"IP", s.IP},
            {"NoGrafics", TruthText(s.NoGrafics)}, {"Unitats", s.Unitats},
            {"DadesServ", TruthText(s.DadesServ)}, {"PosFormX", PlainText(s.PosFormX)},
            {"PosFormY", PlainText(s.PosFormY)}, {"BackgroundColor", PlainText(s.BackgroundColor)},
            {"MaxPneu", PlainText(s.MaxPneu)}, {"MinPneu", PlainText(s.MinPneu)},
            {"MaxMotor", PlainText(s.MaxMotor)}, {"MinMotor", PlainText(s.MinMotor)},
            {"MaxPress", PlainText(s.MaxPress)}, {"MinPress", PlainText(s.MinPress)},
            {"MaxFrens", PlainText(s.MaxFrens)}, {"MinFrens", PlainText(s.MinFrens)},
            {"Administrar", TruthText(s.AdminEnabled)}, {"Depurar", TruthText(s.DebugEnabled)},
            {"Web/Enabled", TruthText(s.WebEnabled)}, {"Web/Port", PlainText(s.WebPort)},
            {"Recording/Enabled", TruthText(s.RecordingEnabled)},
            {"Recording/LimitMB", PlainText(s.RecordingLimitMB)},
            {"Race/Length", DoubleText(s.RaceLength, '.')},
            {"Race/LengthUnit", TruthText(s.RaceLengthMinutes)},
            {"Race/ReserveLaps", DoubleText(s.RaceReserveLaps, '.')},
            {"Race/TankSize", DoubleText(s.RaceTankSize, '.')}};
    // clang-format on
}

// A settings file that holds one key (as Fields names it) with a value.
std::string FileWith(std::string_view key, std::string_view value) {
    std::string section = "Opcions";
    if (const std::size_t slash = key.find('/'); slash != key.npos) {
        section = key.substr(0, slash), key.remove_prefix(slash + 1);
    }
    if (key == "Administrar" || key == "Depurar") section = key;
    if (key.starts_with("Max") || key.starts_with("Min")) section = "MaxMin";
    return "[" + section + "]\r\n" + std::string(key) + "=" + std::string(value) + "\r\n";
}

class SettingsLoad : public ::testing::Test {
protected:
    Settings Load(char sep = '.') { return LoadSettings(store, sep, reporter); }

    TempDir dir;
    SettingsStore store{IniPathFor(dir.Path())};
    ErrorReporter reporter;
};

TEST_F(SettingsLoad, NoFileGivesEveryDefaultAndWritesOnlyTheThresholdsWhereItCan) {
    EXPECT_EQ(Fields(Load()), Fields(Settings{}));
    EXPECT_EQ(ReadBytes(store.IniPath()),
              "[MaxMin]\r\nMaxPneu=100\r\nMinPneu=80\r\nMaxMotor=100\r\nMinMotor=90\r\n"
              "MaxPress=220\r\nMinPress=180\r\nMaxFrens=600\r\nMinFrens=300\r\n");
    SettingsStore nowhere(IniPathFor(dir.Path() / "missing"));
    EXPECT_EQ(Fields(LoadSettings(nowhere, '.', reporter)), Fields(Settings{}));
    EXPECT_FALSE(fs::exists(nowhere.IniPath()));
}

// How each number, truth value and text is read is NumberRules' and AddressRules' table; here,
// that each key takes its own rule and the normalisations start-up adds.
TEST_F(SettingsLoad, EachValueIsNormalisedAsStartUpDoes) {
    struct Case {
        const char* key;
        std::string stored, loaded;
        char sep = '.';
    };
    // clang-format off
    const Case cases[] = {
        {"Idioma", "English", "English"}, {"Idioma", std::string(300, 'L'), std::string(254, 'L')},
        {"ScanTime", "  150ms", "150"}, {"TipusConexio", "7", "7"},
        {"Port", "0080", "80"}, {"Port", "abc", "0"},
        {"Port", "99999", "99999"},  // a port out of range is kept
        {"Port", "1001.5", "1001,5", ','}, {"Port", "1001,5", "1001", ','},
        {"IP", "abc", "192.168.000.002"}, {"IP", "010.000.000.001", "010.000.000.001"},
        {"NoGrafics", "-1", "True"}, {"NoGrafics", "", "False"},
        {"Unitats", "Imperial", "Imperial"}, {"Unitats", "IMPERIAL", "Metric"},
        {"DadesServ", "False", "False"}, {"DadesServ", "", "True"},
        {"PosFormX", "1234.5", "1234"}, {"PosFormY", "2147483647", "2147483647"},
        {"BackgroundColor", "-5", "0"}, {"BackgroundColor", "16777215", "16777215"},
        {"MaxMotor", "98.5", "98"}, {"MinFrens", "-0.5", "0"},
        {"MaxPress", "250,7", "250", ','},  // the settings file always takes the point
        {"Administrar", "TRUE", "True"}, {"Depurar", "True", "True"},
        // The web dashboard's settings never stop the start-up.
        {"Web/Enabled", "1", "True"}, {"Web/Enabled", "yes", "False"}, {"Web/Port", "8100", "8100"},
        {"Web/Port", "65536", "8099"}, {"Web/Port", "0", "8099"}, {"Web/Port", "80.5", "8099"},
        {"Web/Port", "1e999", "8099"},
        {"Recording/Enabled", "1", "True"}, {"Recording/Enabled", "on", "False"},
        {"Recording/LimitMB", "1", "1"}, {"Recording/LimitMB", "1000000", "1000000"},
        {"Recording/LimitMB", "1000001", "1000"}, {"Recording/LimitMB", "0", "1000"},
        {"Recording/LimitMB", "2.5", "1000"}, {"Recording/LimitMB", "-3", "1000"},
        {"Recording/LimitMB", "lots", "1000"},
        // Nor do the race's: a lap count is whole, minutes are taken in laps' place only by name.
        {"Race/Length", "30", "30"}, {"Race/Length", "2.5", "0"}, {"Race/Length", "-1", "0"},
        {"Race/Length", "100001", "0"}, {"Race/Length", "1e999", "0"}, {"Race/Length", "x", "0"},
        {"Race/LengthUnit", "minutes", "True"}, {"Race/LengthUnit", "Hours", "False"},
        {"Race/ReserveLaps", "0,5", "0.5"}, {"Race/ReserveLaps", "", "1"},
        {"Race/ReserveLaps", "nan", "1"},
        {"Race/TankSize", "100", "100"}, {"Race/TankSize", "-5", "0"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.stored);
        WriteBytes(store.IniPath(), FileWith(c.key, c.stored));
        EXPECT_EQ(Fields(Load(c.sep)).at(c.key), c.loaded);
    }
}

TEST_F(SettingsLoad, OutOfRangeOrUnreadableValueFailsSilentlyAndWritesNothing) {
    const std::pair<const char*, const char*> cases[] = {
        {"ScanTime", "32768"}, {"TipusConexio", "40000"}, {"Port", "1e999"},
        {"NoGrafics", "yes"},  {"DadesServ", "maybe"},    {"PosFormY", "-2147483649"},
        {"MaxPneu", "99999"},  {"Administrar", "x"},      {"Depurar", "no"}};
    for (const auto& [key, stored] : cases) {
        SCOPED_TRACE(std::string(key) + "=" + stored);
        const std::string original = FileWith(key, stored) + "[Depurar]\r\nDepurar=1\r\n";
        WriteBytes(store.IniPath(), original);
        try {
            Load();
            ADD_FAILURE() << "no error";
        } catch (const SettingsLoadError& e) {
            EXPECT_EQ(e.Key(), key);
            EXPECT_EQ(e.Value(), stored) << "the user is told the value that stopped the start";
            EXPECT_FALSE(e.DebugKnown());
        }
        EXPECT_EQ(ReadBytes(store.IniPath()), original);
    }
}

TEST_F(SettingsLoad, ThresholdsAreWrittenBackNormalisedAndOtherContentSurvives) {
    WriteBytes(store.IniPath(),
               "; mine\r\n[Opcions]\r\nIdioma=English\r\n\r\n[MaxMin]\r\nMaxPneu= 99.5 \r\n"
               "MinMotor=abc\r\nMaxFrens=0600\r\n; end\r\n\r\n[Other]\r\nx=1\r\n");
    Load();
    EXPECT_EQ(ReadBytes(store.IniPath()),
              "; mine\r\n[Opcions]\r\nIdioma=English\r\n\r\n"
              "[MaxMin]\r\nMaxPneu= 100\r\nMinMotor=0\r\nMaxFrens=600\r\nMinPneu=80\r\n"
              "MaxMotor=100\r\nMaxPress=220\r\nMinPress=180\r\nMinFrens=300\r\n; end\r\n\r\n"
              "[Other]\r\nx=1\r\n");
}

// A program folder named in characters outside ASCII ("Kerbvïew"), as Windows users have.
TEST(SettingsStore, WritesAndReadsTheFileBesideTheProgramInAFolderWithAnyName) {
    TempDir dir;
    const fs::path folder = dir.Path() / PathFromUtf8(std::string("Kerbv\xC3\xAF") + "ew");
    fs::create_directory(folder);
    SettingsStore store(IniPathFor(folder));
    EXPECT_EQ(IniPathFor(""), fs::path("Kerbview.ini"));
    ASSERT_TRUE(store.Write("Opcions", "Idioma", "Espa\xF1ol").Ok());
    EXPECT_EQ(ReadBytes(folder / "Kerbview.ini"), "[Opcions]\r\nIdioma=Espa\xF1ol\r\n");
    EXPECT_EQ(store.Read("Opcions", "Missing", ""), "-1");
}

// A failed write says why; a write that found the file locked by another writer gives up at
// once. Either way the value is kept and written with the next write. (That a kept value reads
// as written is the batch test's.)
TEST(SettingsStore, FailedOrBusyWriteIsReportedAndKeptUntilAWriteSucceeds) {
    TempDir dir;
    FaultyFiles files;
    SettingsStore store(IniPathFor(dir.Path()), files);
    ASSERT_TRUE(store.Write("Opcions", "Idioma", "English").Ok());

    files.room = 10;  // a full disk
    const WriteResult full = store.Write("Opcions", "ScanTime", "150");
    EXPECT_EQ(full.status, WriteStatus::Failed);
    EXPECT_NE(full.error.find("Kerbview.ini: "), std::string::npos) << full.error;
    files.room = ~std::uint64_t{0};
    {
        const LockAttempt other = MakeFileSystem()->TryLockWriters(store.IniPath());
        ASSERT_NE(other.lock, nullptr);
        EXPECT_EQ(store.Write("Opcions", "Port", "2000").status, WriteStatus::Busy);
        EXPECT_EQ(store.Write("Opcions", "port", "2001").status, WriteStatus::Busy);
        EXPECT_EQ(ReadBytes(store.IniPath()), "[Opcions]\r\nIdioma=English\r\n");
    }
    EXPECT_TRUE(store.Flush().Ok());
    EXPECT_EQ(ReadBytes(store.IniPath()),
              "[Opcions]\r\nIdioma=English\r\nScanTime=150\r\nPort=2001\r\n");
}

// Start-up's writes: one rewrite of the file, however large, with the bytes that the separate
// writes would have made.
TEST(SettingsStore, BatchMakesTheBytesOfTheSeparateWritesInOneRewrite) {
    const ProfileEntry writes[] = {{"MaxMin", "MaxPneu", "100"},
                                   {"Opcions", "Idioma", "Espa\xF1ol"},
                                   {"New", "k", "one\r\n[Evil]"},
                                   {"opcions", "IDIOMA", "Catal\xE0"},
                                   {"MaxMin", "MinPneu", "80"}};
    const std::optional<std::string> files[] = {std::nullopt, "[MaxMin]\nMinPneu=1\n"};
    for (const std::optional<std::string>& before : files) {
        SCOPED_TRACE(before.value_or("<no file>"));
        TempDir dir;
        SettingsStore separate(dir.File("separate.ini"));
        FaultyFiles counted;
        SettingsStore batched(dir.File("batched.ini"), counted);
        if (before) WriteBytes(separate.IniPath(), *before), WriteBytes(batched.IniPath(), *before);
        batched.BeginBatch();
        for (const ProfileEntry& w : writes) {
            ASSERT_TRUE(separate.Write(w.section, w.key, w.value).Ok());
            EXPECT_EQ(batched.Write(w.section, w.key, w.value).status, WriteStatus::Held);
        }
        EXPECT_EQ(batched.Read("Opcions", "Idioma", ""), "Catal\xE0");
        EXPECT_EQ(fs::exists(batched.IniPath()), before.has_value()) << "nothing written yet";
        ASSERT_TRUE(batched.EndBatch().Ok());
        EXPECT_EQ(ReadBytes(batched.IniPath()), ReadBytes(separate.IniPath()));
        EXPECT_EQ(counted.newFiles, 1);
    }
}

// Two copies of the program in one folder, each writing while the other does: no value is
// lost (each write reads, changes and replaces the whole file).
TEST(SettingsStore, TwoProcessesWritingAtOnceLoseNoValue) {
    TempDir dir;
    const fs::path ini = IniPathFor(dir.Path());
    const fs::path writer = testing::BesideThisProgram(KERBVIEW_SETTINGS_WRITER);
    constexpr int kCount = 200;
    testing::ChildProcess a(writer, {ini.string(), "A", std::to_string(kCount)});
    testing::ChildProcess b(writer, {ini.string(), "B", std::to_string(kCount)});
    WriteBytes(dir.File("Kerbview.ini.start"), "");
    ASSERT_EQ(a.Wait(), 0);
    ASSERT_EQ(b.Wait(), 0);
    int lost = 0;
    for (int i = 0; i < kCount; ++i) {
        for (const char* prefix : {"A", "B"}) {
            lost += ReadIni(ini, "Opcions", prefix + std::to_string(i), "") != std::to_string(i);
        }
    }
    EXPECT_EQ(lost, 0) << "of " << 2 * kCount;
}

}  // namespace
}  // namespace kerbview::core
