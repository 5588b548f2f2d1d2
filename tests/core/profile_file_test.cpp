// SPDX-License-Identifier: MIT
#include "core/profile_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "temp_dir.h"

#if defined(__unix__) || defined(__APPLE__)
#include <sys/stat.h>
#endif

namespace kerbview::core {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
namespace fs = std::filesystem;

// A settings file as the Windows program leaves it, with a comment, blank lines, a second
// section and Windows line ends.
constexpr std::string_view kWindowsFile =
    "; Kerbview\r\n"
    "[Opcions]\r\n"
    "Idioma=English\r\n"
    "ScanTime=150\r\n"
    "\r\n"
    "[MaxMin]\r\n"
    "MaxPneu=100\r\n"
    "\r\n";

class ProfileFile : public ::testing::Test {
protected:
    TempDir dir;
    std::string ini = dir.File("Kerbview.ini");
};

TEST_F(ProfileFile, NamesMatchIgnoringCaseAndBlanksAroundKeysAndValues) {
    WriteBytes(ini, "[ oPCIONS ]\r\n  IDIOMA \t=  Catal\xE0  \r\nscantime=10\r\n");
    EXPECT_EQ(ReadProfileString(ini, "Opcions", "Idioma"), "Catal\xE0");
    EXPECT_EQ(ReadProfileString(ini, "opcions", "ScanTime"), "10");
}

TEST_F(ProfileFile, FirstOfDuplicateKeysWinsForReadAndWrite) {
    WriteBytes(ini, "[S]\nk=first\nK=second\n");
    EXPECT_EQ(ReadProfileString(ini, "S", "k"), "first");
    ASSERT_TRUE(WriteProfileString(ini, "S", "k", "new"));
    EXPECT_EQ(ReadBytes(ini), "[S]\nk=new\nK=second\n");
}

TEST_F(ProfileFile, MissingFileSectionOrKeyIsNoValueAndEmptyValueIsEmpty) {
    EXPECT_EQ(ReadProfileString(ini, "Opcions", "Idioma"), std::nullopt);
    WriteBytes(ini, "[Opcions]\nIdioma=\nother=1\n[Empty]\n");
    EXPECT_EQ(ReadProfileString(ini, "Opcions", "Idioma"), "");
    EXPECT_EQ(ReadProfileString(ini, "Opcions", "Missing"), std::nullopt);
    EXPECT_EQ(ReadProfileString(ini, "Empty", "other"), std::nullopt);
    EXPECT_EQ(ReadProfileString(ini, "Nowhere", "other"), std::nullopt);
}

TEST_F(ProfileFile, KeysBeforeAnySectionAndInLaterSectionsDoNotLeak) {
    WriteBytes(ini, "k=top\n[A]\nx=1\n[B]\nk=b\n");
    EXPECT_EQ(ReadProfileString(ini, "A", "k"), std::nullopt);
    EXPECT_EQ(ReadProfileString(ini, "B", "k"), "b");
}

TEST_F(ProfileFile, QuotesAroundAValueAreDroppedAsThePlatformDoes) {
    WriteBytes(ini, "[S]\na=\"quoted\"\nb='single'\nc=\"open\n");
    EXPECT_EQ(ReadProfileString(ini, "S", "a"), "quoted");
    EXPECT_EQ(ReadProfileString(ini, "S", "b"), "single");
    EXPECT_EQ(ReadProfileString(ini, "S", "c"), "\"open");
}

TEST_F(ProfileFile, ReadIniGivesTheDefaultForMissingOrEmptyAndMinusOneForAnEmptyDefault) {
    WriteBytes(ini, "[Cars]\nCar A=a.jpg\nCar B=\n");
    EXPECT_EQ(ReadIni(ini, "Cars", "car a", ""), "a.jpg");
    EXPECT_EQ(ReadIni(ini, "Cars", "Car B", ""), "-1");
    EXPECT_EQ(ReadIni(ini, "Cars", "Car C", ""), "-1");
    EXPECT_EQ(ReadIni(ini, "Cars", "Car B", "500"), "500");
    EXPECT_EQ(ReadIni(dir.File("absent.ini"), "Cars", "Car A", "x"), "x");
}

TEST_F(ProfileFile, ReadIniCutsAValueTo254Characters) {
    std::string longValue(300, 'v');
    longValue.replace(253, 2, "XY");
    WriteBytes(ini, "[S]\nk=" + longValue + "\n");
    std::string read = ReadIni(ini, "S", "k", "d");
    EXPECT_EQ(read.size(), 254u);
    EXPECT_EQ(read.back(), 'X');
}

TEST_F(ProfileFile, WriteReplacesTheValueInPlaceAndKeepsEveryOtherByte) {
    WriteBytes(ini, kWindowsFile);
    ASSERT_TRUE(WriteProfileString(ini, "opcions", "scantime", "500"));
    EXPECT_EQ(ReadBytes(ini),
              "; Kerbview\r\n[Opcions]\r\nIdioma=English\r\nScanTime=500\r\n\r\n"
              "[MaxMin]\r\nMaxPneu=100\r\n\r\n");
}

TEST_F(ProfileFile, WriteKeepsTheKeySpellingAndTheBlanksBeforeTheValue) {
    WriteBytes(ini, "[S]\n  Key = old value  \nnext=1\n");
    ASSERT_TRUE(WriteProfileString(ini, "S", "key", "new"));
    EXPECT_EQ(ReadBytes(ini), "[S]\n  Key = new\nnext=1\n");
}

TEST_F(ProfileFile, WriteAddsAMissingKeyAfterTheLastKeyOfItsSection) {
    WriteBytes(ini, kWindowsFile);
    ASSERT_TRUE(WriteProfileString(ini, "Opcions", "Port", "1001"));
    EXPECT_EQ(ReadBytes(ini),
              "; Kerbview\r\n[Opcions]\r\nIdioma=English\r\nScanTime=150\r\nPort=1001\r\n\r\n"
              "[MaxMin]\r\nMaxPneu=100\r\n\r\n");
}

TEST_F(ProfileFile, WriteAddsAKeyToAnEmptySectionRightAfterItsHeader) {
    WriteBytes(ini, "[A]\n\n; about B\n[B]\nx=1\n");
    ASSERT_TRUE(WriteProfileString(ini, "A", "k", "v"));
    EXPECT_EQ(ReadBytes(ini), "[A]\nk=v\n\n; about B\n[B]\nx=1\n");
}

TEST_F(ProfileFile, WriteAddsAMissingSectionAtTheEndInTheFileLineEnds) {
    WriteBytes(ini, "[A]\nx=1");  // Unix line ends, no line end at the end
    ASSERT_TRUE(WriteProfileString(ini, "Depurar", "Depurar", "1"));
    EXPECT_EQ(ReadBytes(ini), "[A]\nx=1\n[Depurar]\nDepurar=1\n");
    ASSERT_TRUE(WriteProfileString(ini, "A", "y", "2"));
    EXPECT_EQ(ReadBytes(ini), "[A]\nx=1\ny=2\n[Depurar]\nDepurar=1\n");
}

TEST_F(ProfileFile, CarriageReturnWithoutLineFeedAtTheEndIsNoLineEnd) {
    WriteBytes(ini, "[A]\r\nx=1\r");
    EXPECT_EQ(ReadProfileString(ini, "A", "x"), "1");
    ASSERT_TRUE(WriteProfileString(ini, "A", "y", "2"));
    EXPECT_EQ(ReadBytes(ini), "[A]\r\nx=1\r\r\ny=2\r\n");
    EXPECT_EQ(ReadProfileString(ini, "A", "x"), "1");
    EXPECT_EQ(ReadProfileString(ini, "A", "y"), "2");
}

TEST_F(ProfileFile, WriteCreatesAMissingFileWithWindowsLineEnds) {
    ASSERT_TRUE(WriteProfileString(ini, "MaxMin", "MaxPneu", "100"));
    EXPECT_EQ(ReadBytes(ini), "[MaxMin]\r\nMaxPneu=100\r\n");
    EXPECT_EQ(ReadIni(ini, "MaxMin", "MaxPneu", "0"), "100");
}

TEST_F(ProfileFile, WriteCannotBreakTheFileWithLineEndsInAValueOrBadNames) {
    ASSERT_TRUE(WriteProfileString(ini, "S", "k", "one\r\n[Evil]\r\nx=2"));
    EXPECT_EQ(ReadBytes(ini), "[S]\r\nk=one\r\n");
    EXPECT_FALSE(WriteProfileString(ini, "", "k", "v"));
    EXPECT_FALSE(WriteProfileString(ini, "S", "", "v"));
    EXPECT_FALSE(WriteProfileString(ini, "S]", "k", "v"));
    EXPECT_FALSE(WriteProfileString(ini, "S", "a=b", "v"));
    EXPECT_EQ(ReadBytes(ini), "[S]\r\nk=one\r\n");
}

TEST_F(ProfileFile, Windows1252FileRoundTripsEspanol) {
    WriteBytes(ini, "[Opcions]\r\nIdioma=Catal\xE0\r\n");
    ASSERT_TRUE(WriteProfileString(ini, "Opcions", "Idioma", "Espa\xF1ol"));
    EXPECT_EQ(ReadBytes(ini), "[Opcions]\r\nIdioma=Espa\xF1ol\r\n");
    EXPECT_EQ(ReadIni(ini, "Opcions", "Idioma", "x"), "Espa\xF1ol");
}

TEST_F(ProfileFile, Utf8FileSavedByAnEditorReadsAsWindows1252AndStaysUtf8) {
    WriteBytes(ini, "[Opcions]\nIdioma=Espa\xC3\xB1ol\nNote=\xE2\x82\xAC 5\n");
    EXPECT_EQ(ReadIni(ini, "Opcions", "Idioma", "x"), "Espa\xF1ol");
    EXPECT_EQ(ReadIni(ini, "Opcions", "Note", "x"), "\x80 5");  // the euro sign
    ASSERT_TRUE(WriteProfileString(ini, "Opcions", "Idioma", "Catal\xE0"));
    EXPECT_EQ(ReadBytes(ini), "[Opcions]\nIdioma=Catal\xC3\xA0\nNote=\xE2\x82\xAC 5\n");
    EXPECT_EQ(ReadIni(ini, "Opcions", "Idioma", "x"), "Catal\xE0");
}

TEST_F(ProfileFile, Utf8ByteOrderMarkDoesNotHideTheFirstSection) {
    WriteBytes(ini, "\xEF\xBB\xBF[Opcions]\r\nIdioma=Espa\xC3\xB1ol\r\n");
    EXPECT_EQ(ReadIni(ini, "Opcions", "Idioma", "x"), "Espa\xF1ol");
    ASSERT_TRUE(WriteProfileString(ini, "Opcions", "ScanTime", "50"));
    EXPECT_EQ(ReadBytes(ini), "\xEF\xBB\xBF[Opcions]\r\nIdioma=Espa\xC3\xB1ol\r\nScanTime=50\r\n");
}

TEST_F(ProfileFile, UnclosedSectionHeaderIsNoSectionAndSurvivesAWrite) {
    const std::string original = "[Opcions\r\nScanTime=150\r\n";
    WriteBytes(ini, original);
    EXPECT_EQ(ReadProfileString(ini, "Opcions", "ScanTime"), std::nullopt);
    ASSERT_TRUE(WriteProfileString(ini, "Opcions", "ScanTime", "200"));
    EXPECT_EQ(ReadBytes(ini), original + "[Opcions]\r\nScanTime=200\r\n");
    EXPECT_EQ(ReadProfileString(ini, "Opcions", "ScanTime"), "200");
}

TEST_F(ProfileFile, NulBytesEndAValueAndAreKeptElsewhere) {
    using namespace std::string_literals;
    const std::string original = "[S]\nk=ab\0cd\nz\0z=1\n"s;
    WriteBytes(ini, original);
    EXPECT_EQ(ReadProfileString(ini, "S", "k"), "ab");
    ASSERT_TRUE(WriteProfileString(ini, "S", "n", "1"));
    EXPECT_EQ(ReadBytes(ini), original + "n=1\n");
}

TEST_F(ProfileFile, BinaryGarbageGivesDefaultsAndAWriteLosesNoneOfIt) {
    std::mt19937 gen(7);
    std::string garbage;
    for (int i = 0; i < 64 * 1024; ++i) garbage += static_cast<char>(gen() & 0xFF);
    WriteBytes(ini, garbage);
    EXPECT_EQ(ReadIni(ini, "Opcions", "ScanTime", "500"), "500");
    ASSERT_TRUE(WriteProfileString(ini, "Opcions", "ScanTime", "150"));
    std::string after = ReadBytes(ini);
    ASSERT_GT(after.size(), garbage.size());
    EXPECT_EQ(after.substr(0, garbage.size()), garbage);
    EXPECT_EQ(ReadIni(ini, "Opcions", "ScanTime", "500"), "150");
}

TEST_F(ProfileFile, VeryLongLineWithoutLineEndIsReadAndKept) {
    const std::string original = "[S]\nlong=" + std::string(2'000'000, 'x');
    WriteBytes(ini, original);
    EXPECT_EQ(ReadIni(ini, "S", "long", "d").size(), 254u);
    ASSERT_TRUE(WriteProfileString(ini, "S", "k", "v"));
    EXPECT_EQ(ReadBytes(ini), original + "\nk=v\n");
}

TEST_F(ProfileFile, WriteToAMissingFolderOrAFolderInPlaceOfTheFileFails) {
    EXPECT_FALSE(WriteProfileString(dir.File("no/such/folder/Kerbview.ini"), "S", "k", "v"));
    fs::create_directory(ini);
    EXPECT_FALSE(WriteProfileString(ini, "S", "k", "v"));
    EXPECT_EQ(ReadProfileString(ini, "S", "k"), std::nullopt);
    EXPECT_EQ(ReadIni(ini, "S", "k", "d"), "d");
    EXPECT_TRUE(fs::is_directory(ini));
}

TEST_F(ProfileFile, AtomicWriteLeavesNoTemporaryFileAndKeepsPermissions) {
    WriteBytes(ini, kWindowsFile);
    fs::permissions(ini, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(WriteProfileString(ini, "Opcions", "ScanTime", "10"));
    EXPECT_EQ(fs::status(ini).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Path())) ++files;
    EXPECT_EQ(files, 1);
}

TEST_F(ProfileFile, WriteThroughASymbolicLinkUpdatesTheTargetAndKeepsTheLink) {
    const std::string real = dir.File("real.ini");
    WriteBytes(real, "[S]\nk=1\n");
    fs::create_symlink(real, ini);
    ASSERT_TRUE(WriteProfileString(ini, "S", "k", "2"));
    EXPECT_TRUE(fs::is_symlink(ini));
    EXPECT_EQ(ReadBytes(real), "[S]\nk=2\n");
}

TEST_F(ProfileFile, ReadOnlyFileIsNotWrittenAndKeepsItsContent) {
    WriteBytes(ini, kWindowsFile);
    fs::permissions(ini, fs::perms::owner_read);
    if (std::ofstream(ini, std::ios::app)) GTEST_SKIP() << "this user may write read-only files";
    EXPECT_FALSE(WriteProfileString(ini, "Opcions", "ScanTime", "10"));
    EXPECT_EQ(ReadBytes(ini), kWindowsFile);
}

TEST_F(ProfileFile, ReadOnlyFolderFallsBackToWritingTheFileInPlace) {
    WriteBytes(ini, kWindowsFile);
    fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    if (std::ofstream(dir.File("probe"))) GTEST_SKIP() << "this user may write read-only folders";
    ASSERT_TRUE(WriteProfileString(ini, "Opcions", "ScanTime", "10"));
    EXPECT_EQ(ReadIni(ini, "Opcions", "ScanTime", "x"), "10");
    EXPECT_FALSE(WriteProfileString(dir.File("new.ini"), "S", "k", "v"));
}

#if defined(__unix__) || defined(__APPLE__)
TEST_F(ProfileFile, PipeInPlaceOfTheFileNeitherBlocksNorIsWritten) {
    ASSERT_EQ(::mkfifo(ini.c_str(), 0600), 0);
    EXPECT_EQ(ReadIni(ini, "S", "k", "d"), "d");
    EXPECT_FALSE(WriteProfileString(ini, "S", "k", "v"));
}
#endif

}  // namespace
}  // namespace kerbview::core
