// SPDX-License-Identifier: MIT
#include "core/profile_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <thread>

#include "core/text_encoding.h"
#include "faulty_files.h"
#include "temp_dir.h"

#if defined(__unix__) || defined(__APPLE__)
#include <sys/stat.h>
#endif

namespace kerbview::core {
namespace {

using testing::FaultyFiles;
using testing::ReadBytes;
using testing::TempDir;
using testing::Utf16File;
using testing::WriteBytes;
using namespace std::string_literals;
namespace fs = std::filesystem;

// A settings file as the Windows program leaves it, with a comment, blank lines, a second
// section and Windows line ends.
constexpr std::string_view kWindowsFile =
    "; "
    "Kerbview\r\n[Opcions]\r\nIdioma=English\r\nScanTime=150\r\n\r\n[MaxMin]\r\nMaxPneu="
    "100\r\n\r\n";

// kWindowsFile with one line changed.
std::string WindowsFileWith(std::string_view line, std::string_view replacement) {
    std::string file(kWindowsFile);
    return file.replace(file.find(line), line.size(), replacement);
}

class ProfileFile : public ::testing::Test {
protected:
    TempDir dir;
    fs::path ini = dir.File("Kerbview.ini");
};

// Names, blanks, quotes, duplicates and line ends are read as Windows' own profile service
// reads them (ProfileDifferential, under Wine); here the cases it has no answer to compare.
TEST_F(ProfileFile, ReadFindsOnlyItsOwnSectionAndStopsAtALineEndOrANul) {
    const std::optional<std::string> none;
    const std::tuple<std::string, const char*, std::optional<std::string>> cases[] = {
        {"k=top\n[A]\nx=1\n[B]\nk=b\n", "A", none},  // key k: not before [A], not after it
        {"[A]\r\nk=1\r", "A", "1"},                  // a lone carriage return at the end
        {"[A]\r\nk=1\r\r\ny=2\r\n", "A", "1"},
        {"[A]\rk=1\r[B]\rk=2", "B", "2"},  // old Macintosh line ends: a lone CR
        {"[A]\nk=ab\0cd\n"s, "A", "ab"},   // a NUL ends the value
    };
    EXPECT_EQ(ReadProfileValue(ini, "A", "k"), none) << "no file";
    for (const auto& [file, section, value] : cases) {
        WriteBytes(ini, file);
        EXPECT_EQ(ReadProfileValue(ini, section, "k"), value) << file;
    }
}

// Each write changes only what it must, in the file's own line ends and encoding.
TEST_F(ProfileFile, WriteReplacesOrAddsTheValueAndKeepsEveryOtherByte) {
    struct Case {
        std::optional<std::string> before;  // nullopt: no file
        const char* section;
        const char* key;
        std::string_view value;
        std::string after;
    };
    const std::string unclosed = "[Opcions\r\nScanTime=150\r\n";
    const std::string nul = "[S]\nk=ab\0cd\nz\0z=1\n"s;
    const std::string longLine = "[S]\nlong=" + std::string(2'000'000, 'x');
    const Case cases[] = {
        {std::string(kWindowsFile), "opcions", "scantime", "500",
         WindowsFileWith("ScanTime=150", "ScanTime=500")},
        {std::string(kWindowsFile), "Opcions", "Port", "1001",
         WindowsFileWith("ScanTime=150\r\n", "ScanTime=150\r\nPort=1001\r\n")},
        {"[S]\n  Key = old value  \nnext=1\n", "S", "key", "new", "[S]\n  Key = new\nnext=1\n"},
        {"[S]\nk=first\nK=second\n", "S", "k", "new", "[S]\nk=new\nK=second\n"},
        {"[A]\n\n; about B\n[B]\nx=1\n", "A", "k", "v", "[A]\nk=v\n\n; about B\n[B]\nx=1\n"},
        {"[A]\nx=1", "Depurar", "Depurar", "1", "[A]\nx=1\n[Depurar]\nDepurar=1\n"},
        {"[A]\r\nx=1\r", "A", "y", "2", "[A]\r\nx=1\ry=2\r\n"},
        {"[A]\rx=1\r[B]\r", "A", "y", "2", "[A]\rx=1\ry=2\r[B]\r"},
        {"[A]\rx=1", "C", "k", "v", "[A]\rx=1\r[C]\rk=v\r"},
        {std::nullopt, "MaxMin", "MaxPneu", "100", "[MaxMin]\r\nMaxPneu=100\r\n"},
        {std::nullopt, "S", "k", "one\r\n[Evil]\r\nx=2", "[S]\r\nk=one\r\n"},
        {"[Opcions]\r\nIdioma=Catal\xE0\r\n", "Opcions", "Idioma", "Espa\xF1ol",
         "[Opcions]\r\nIdioma=Espa\xF1ol\r\n"},
        // A file saved as UTF-8 by an editor reads as Windows-1252 and stays UTF-8.
        {"[Opcions]\nIdioma=Espa\xC3\xB1ol\nNote=\xE2\x82\xAC 5\n", "Opcions", "Idioma",
         "Catal\xE0", "[Opcions]\nIdioma=Catal\xC3\xA0\nNote=\xE2\x82\xAC 5\n"},
        {"\xEF\xBB\xBF[Opcions]\r\nIdioma=Espa\xC3\xB1ol\r\n", "Opcions", "ScanTime", "50",
         "\xEF\xBB\xBF[Opcions]\r\nIdioma=Espa\xC3\xB1ol\r\nScanTime=50\r\n"},
        // A UTF-16 file stays UTF-16; a character outside Windows-1252, a surrogate without its
        // pair and a last odd byte stay as they were.
        {Utf16File(u"[Opcions]\r\nIdioma=Catal\u00E0\r\nNote=\u4E2D\U0001F600\r\n"), "Opcions",
         "Idioma", "Espa\xF1ol",
         Utf16File(u"[Opcions]\r\nIdioma=Espa\u00F1ol\r\nNote=\u4E2D\U0001F600\r\n")},
        {Utf16File(u"[S]\r\nk=\xD800\r\nj=1") + "\x01", "MaxMin", "MaxPneu", "100",
         Utf16File(u"[S]\r\nk=\xD800\r\nj=1\r\n[MaxMin]\r\nMaxPneu=100\r\n") + "\x01"},
        {unclosed, "Opcions", "ScanTime", "200", unclosed + "[Opcions]\r\nScanTime=200\r\n"},
        {nul, "S", "n", "1", nul + "n=1\n"},
        {longLine, "S", "k", "v", longLine + "\nk=v\n"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before.value_or("<no file>").substr(0, 60));
        if (c.before) WriteBytes(ini, *c.before);
        ASSERT_TRUE(WriteProfileValue(ini, c.section, c.key, c.value).Ok());
        EXPECT_EQ(ReadBytes(ini), c.after);
        EXPECT_EQ(ReadIni(ini, c.section, c.key, "x"), c.value.substr(0, c.value.find('\r')));
        fs::remove(ini);
    }
}

TEST_F(ProfileFile, WriteThatCannotBeMadeFailsAndChangesNothing) {
    WriteBytes(ini, kWindowsFile);
    for (const auto& [section, key] : {std::pair{"", "k"}, {"S", ""}, {"S]", "k"}, {"S", "a=b"}}) {
        EXPECT_EQ(WriteProfileValue(ini, section, key, "v").status, WriteStatus::Failed) << key;
    }
    EXPECT_FALSE(WriteProfileValue(dir.File("no") / "folder.ini", "S", "k", "v").Ok());
    const fs::path folder = dir.File("folder.ini");
    fs::create_directory(folder);
    EXPECT_FALSE(WriteProfileValue(folder, "S", "k", "v").Ok());
    EXPECT_EQ(ReadIni(folder, "S", "k", "d"), "d");
#if defined(__unix__) || defined(__APPLE__)
    const fs::path pipe = dir.File("pipe.ini");  // must block neither the read nor the write
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(ReadIni(pipe, "S", "k", "d"), "d");
    EXPECT_FALSE(WriteProfileValue(pipe, "S", "k", "v").Ok());
#endif
    EXPECT_EQ(ReadBytes(ini), kWindowsFile);
    fs::permissions(ini, fs::perms::owner_read);
    if (!std::ofstream(ini, std::ios::app)) {  // else this user (root) may write it all the same
        EXPECT_EQ(WriteProfileValue(ini, "Opcions", "ScanTime", "10").status, WriteStatus::Failed);
        EXPECT_EQ(ReadBytes(ini), kWindowsFile);
    }
}

// The link stays a link, also when the file it names does not exist yet.
TEST_F(ProfileFile, WriteThroughASymbolicLinkWritesTheFileItNamesAndKeepsTheLink) {
    fs::create_directory(dir.File("real"));
    const fs::path real = dir.File("real") / "settings.ini";
    const std::tuple<fs::path, std::optional<std::string>, std::string> cases[] = {
        {real, "[S]\nk=1\n", "[S]\nk=2\n"},                                   // an existing file
        {fs::path("real") / "settings.ini", std::nullopt, "[S]\r\nk=2\r\n"},  // relative, missing
        {dir.File("second-link"), std::nullopt, "[S]\r\nk=2\r\n"},  // a link to a missing file
    };
    for (const auto& [linkTo, before, after] : cases) {
        SCOPED_TRACE(linkTo.string());
        if (before) WriteBytes(real, *before);
        std::error_code error;
        fs::create_symlink(linkTo, ini, error);
        if (linkTo == dir.File("second-link")) fs::create_symlink(real, linkTo, error);
        // Windows gives symbolic links only to administrators and developer mode; Wine has none.
        if (error) GTEST_SKIP() << "this system makes no symbolic link here: " << error.message();
        ASSERT_TRUE(WriteProfileValue(ini, "S", "k", "2").Ok());
        EXPECT_TRUE(fs::is_symlink(ini));
        EXPECT_EQ(ReadBytes(real), after);
        fs::remove(ini);
        fs::remove(real);
    }
    fs::create_symlink("loop", dir.File("loop"));
    EXPECT_EQ(WriteProfileValue(dir.File("loop"), "S", "k", "2").status, WriteStatus::Failed);
}

// A write goes through a temporary file beside the file, and leaves none behind. Where none can
// be made (a folder this user may not write), the file is written in place; a full disk then
// must not cut it short. Either way the file keeps its permissions.
TEST_F(ProfileFile, FullDiskLeavesTheFileAsItWasAndNoTemporaryFileAndSaysWhy) {
    const std::string before(kWindowsFile);
    const std::string grown = WindowsFileWith("ScanTime=150\r\n", "ScanTime=150\r\nPort=1001\r\n");
    constexpr auto kNoLimit = std::numeric_limits<std::uint64_t>::max();
    constexpr auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    const std::string noSpace =
        "Kerbview.ini: " + std::make_error_code(std::errc::no_space_on_device).message();
    struct Case {
        bool newFiles;
        std::uint64_t room;
        const char* key;
        const char* value;
        std::string after;  // unless before: written
    };
    const Case cases[] = {
        {false, grown.size(), "Port", "1001", grown},  // in place, room enough
        {false, before.size(), "Port", "1001", before},
        {false, before.size(), "ScanTime", "5", WindowsFileWith("ScanTime=150", "ScanTime=5")},
        {true, 10, "Port", "1001", before},  // a temporary file
        {true, kNoLimit, "Port", "1001", grown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.key << ' ' << c.newFiles << ' ' << c.room);
        WriteBytes(ini, before);
        fs::permissions(ini, perms);
        FaultyFiles files;
        files.refuseNewFiles = !c.newFiles;
        files.room = c.room;
        const ProfileEntry entry{"Opcions", c.key, c.value};
        const WriteResult result = WriteProfileValues(files, ini, {&entry, 1});
        EXPECT_EQ(result.Ok(), c.after != before) << result.error;
        EXPECT_EQ(result.error.find(noSpace) != std::string::npos, !result.Ok()) << result.error;
        EXPECT_EQ(ReadBytes(ini), c.after);
#ifndef _WIN32  // Windows files have no POSIX permission bits to keep
        EXPECT_EQ(fs::status(ini).permissions(), perms);
#endif
        // Beside the file only the lock that writers share (a file of its own on Windows).
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()),
                  1 + static_cast<int>(fs::exists(dir.File("Kerbview.ini.lock"))));
    }
}

// A text editor takes no lock. When it saves while a write is under way, through a new file
// renamed over the old one or by emptying the file and filling it again, its save is kept and
// the value is written into it.
TEST_F(ProfileFile, FileSavedByAnEditorDuringTheWriteKeepsBothChanges) {
    const std::string saved = "[Opcions]\r\nIdioma=Catal\xE0\r\n";
    const auto renameSave = [&] {
        WriteBytes(dir.File("editor~"), saved);
        fs::rename(dir.File("editor~"), ini);
    };
    // Windows cannot exchange two files in one step: there the save just before the move is
    // lost, as the README says.
    WriteBytes(dir.File("a"), "a");
    WriteBytes(ini, "b");
    std::error_code ec;
    const bool canExchange = MakeFileSystem()->Exchange(dir.File("a"), ini, ec);
    fs::remove(dir.File("a"));
    fs::remove(ini);

    enum class When { NewFile, BeforeMove, Emptied };
    const std::pair<bool, When> cases[] = {
        {true, When::NewFile},      // saved as the writer makes its temporary file
        {true, When::BeforeMove},   // saved just before the writer's file takes its place
        {false, When::BeforeMove},  // made just before the writer's new file takes its place
        {true, When::Emptied},      // emptied, and filled again a moment later
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto [fileBefore, when] = cases[i];
        SCOPED_TRACE(i);
        if (fileBefore) WriteBytes(ini, kWindowsFile);
        FaultyFiles files;
        std::thread filler;
        if (when == When::NewFile) files.onNewFile = renameSave;
        if (when == When::BeforeMove) files.beforeMove = renameSave;
        if (when == When::Emptied) {  // emptied here, filled and closed by the thread
            filler = std::thread([&, out = std::ofstream(ini, std::ios::binary)]() mutable {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                out << saved;
            });
        }
        const ProfileEntry entry{"Opcions", "ScanTime", "10"};
        const WriteResult result = WriteProfileValues(files, ini, {&entry, 1});
        if (filler.joinable()) filler.join();
        ASSERT_TRUE(result.Ok()) << result.error;
        const bool lost = when == When::BeforeMove && fileBefore && !canExchange;
        EXPECT_EQ(ReadBytes(ini), lost ? WindowsFileWith("ScanTime=150", "ScanTime=10")
                                       : saved + "ScanTime=10\r\n");
        fs::remove(ini);
    }
}

TEST(TextEncoding, Windows1252AndUtf8ConvertBothWaysAndUtf8NeedsAValidMultiByteSequence) {
    const std::pair<const char*, const char*> bothWays[] = {
        {"Espa\xF1ol", "Espa\xC3\xB1ol"}, {"\x80", "\xE2\x82\xAC"}, {"\x9F", "\xC5\xB8"}};
    for (const auto& [cp1252, utf8] : bothWays) {
        EXPECT_EQ(Cp1252ToUtf8(cp1252), utf8);
        EXPECT_EQ(Utf8ToCp1252(utf8), cp1252);
    }
    EXPECT_EQ(Cp1252ToUtf8("\x81"), "\xEF\xBF\xBD");      // unassigned byte
    EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");         // no Windows-1252 byte
    EXPECT_EQ(Utf8ToCp1252("Espa\xF1ol"), "Espa\xF1ol");  // not UTF-8: kept
    // Plain ASCII, Windows-1252, overlong, surrogate, mixed, cut short.
    for (const char* text :
         {"plain", "Espa\xF1ol", "\xC0\x80", "\xED\xA0\x80", "\xC3\xB1 \xF1", "\xC3"}) {
        EXPECT_FALSE(LooksLikeUtf8(text)) << text;
    }
}

}  // namespace
}  // namespace kerbview::core
