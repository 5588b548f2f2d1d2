// SPDX-License-Identifier: MIT
// The settings-file code against Windows' own profile service (GetPrivateProfileStringA and
// WritePrivateProfileStringA) on the same files. Where the two differ by design, the case names
// the difference, and the test checks that it is still there.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "core/profile_file.h"
#include "temp_dir.h"

namespace kerbview::core {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::Utf16File;
using testing::WriteBytes;

constexpr char kMissing[] = "<missing>";

std::string WindowsRead(const std::filesystem::path& file, const char* section, const char* key,
                        DWORD size = 4096) {
    std::string value(size, '\0');
    const DWORD length = ::GetPrivateProfileStringA(section, key, kMissing, value.data(), size,
                                                    file.string().c_str());
    value.resize(length);
    return value;
}

std::string OurRead(const std::filesystem::path& file, const char* section, const char* key) {
    return ReadProfileValue(file, section, key).value_or(kMissing);
}

// differs: empty when both must give the same value; otherwise why they differ by design.
struct ReadCase {
    std::string file;
    const char* section;
    const char* key;
    const char* differs = "";
};

TEST(ProfileDifferential, ReadsAgreeWithWindowsExceptWhereTheyDifferByDesign) {
    const std::string dup = "[A]\r\nk=first\r\nK=second\r\n[a]\r\nk=third\r\nother=4\r\n";
    const std::string blanks = "[ Opcions ]\r\n  IDIOMA \t=  Catal\xE0  \r\n\r\n";
    const std::string quotes = "[S]\r\na=\"quoted\"\r\nb='single'\r\nc=\"open\r\nd=\"\"\r\n";
    const std::string mixed = "[A]\nx=1\r\ny=2\rz=3\n";
    const std::string utf8 = "[S]\r\nk=Espa\xC3\xB1ol\r\n";
    const std::string utf16 = Utf16File(u"[ S ]\r\n  K = Catal\u00E0 \r\nj=\"q\"\r\n[T]\rk=t");
    // clang-format off
    const ReadCase cases[] = {
        {dup, "a", "K"}, {dup, "A", "other"},  // a later header of the same name is not merged
        {blanks, "opcions", "Idioma"}, {blanks, "Opcions", "Missing"}, {blanks, "Nowhere", "Idioma"},
        {quotes, "S", "a"}, {quotes, "S", "b"}, {quotes, "S", "c"}, {quotes, "S", "d"},
        {"[S]\r\nempty=\r\n", "S", "empty"}, {"[S]\rk=cr\rj=2\r", "S", "j"},
        {mixed, "A", "y"}, {mixed, "A", "z"}, {"[S]\r\nk=no line end", "S", "k"},
        {"\xEF\xBB\xBF[S]\r\nk=bom\r\n", "S", "k"}, {"[S]\r\n; k=comment\r\nk=real\r\n", "S", "k"},
        {"[S\r\nk=unclosed\r\n", "S", "k"}, {"[S] trailing\r\nk=v\r\n", "S", "k"},
        {"[S]\r\n=nokey\r\nk=v\r\n", "S", "k"}, {"[S]\r\nk = a = b\r\n", "S", "k"},
        {"k=top\r\n[S]\r\nx=1\r\n", "", "k", "a key before any section: Windows files it under "
                                               "an empty section name, Kerbview has no use for it"},
        {utf8, "S", "k", "a UTF-8 file: Kerbview reads it as Windows-1252 text"},
        {utf16, "s", "k"}, {utf16, "S", "j"}, {utf16, "T", "k"},
    };
    // clang-format on
    TempDir dir;
    int n = 0;
    for (const ReadCase& c : cases) {
        const std::filesystem::path file = dir.File("read" + std::to_string(n++) + ".ini");
        WriteBytes(file, c.file);
        const std::string windows = WindowsRead(file, c.section, c.key);
        const std::string ours = OurRead(file, c.section, c.key);
        SCOPED_TRACE(c.file + " [" + c.section + "] " + c.key + ": Windows gives " + windows +
                     ", Kerbview " + ours);
        EXPECT_EQ(ours == windows, *c.differs == '\0') << c.differs;
    }
    // Missing file; and the 254-character cut of ReadIni, which is Windows' with a buffer of 255.
    const std::filesystem::path none = dir.File("none.ini");
    EXPECT_EQ(OurRead(none, "S", "k"), WindowsRead(none, "S", "k"));
    const std::filesystem::path longFile = dir.File("long.ini");
    WriteBytes(longFile, "[S]\r\nk=" + std::string(300, 'v') + "\r\n");
    EXPECT_EQ(ReadIni(longFile, "S", "k", "d"), WindowsRead(longFile, "S", "k", 255));
}

// The same write on two copies of a file, one by each; afterwards Windows reads every probe the
// same from both (the bytes differ: Kerbview touches only its own line).
TEST(ProfileDifferential, WritesAgreeWithWindowsExceptWhereTheyDifferByDesign) {
    struct WriteCase {
        std::optional<std::string> file;
        const char* section;
        const char* key;
        const char* value;
        const char* differs = "";
    };
    const std::string base = "; mine\r\n[A]\r\n  x = 1  \r\ny=2\r\n\r\n[B]\r\nz=3\r\n";
    // clang-format off
    const WriteCase cases[] = {
        {base, "a", "X", "10"}, {base, "A", "new", "v"}, {base, "C", "k", "v"}, {base, "B", "z", ""},
        {std::nullopt, "S", "k", "v"}, {"[A]\rx=1\r[B]\rz=3\r", "A", "x", "10"},
        {"[A]\rx=1\r[B]\rz=3\r", "A", "w", "v"}, {"[A]\nx=1\n[A]\nx=2\n", "A", "x", "10"},
        {"\xEF\xBB\xBF[A]\r\nx=1\r\n", "A", "x", "10"},
        {"[A]\r\nx=Espa\xC3\xB1ol\r\n", "A", "x", "Catal\xE0",
         "a UTF-8 file: Kerbview writes the value in UTF-8 and keeps the file UTF-8"},
        {Utf16File(u"[A]\r\nx=Espa\u00F1ol\r\n"), "A", "x", "Catal\xE0"},
        {Utf16File(u"[A]\r\nx=1\r\n"), "C", "k", "Espa\xF1ol"},
    };
    // clang-format on
    const char* const probes[][2] = {{"A", "x"}, {"A", "y"}, {"A", "new"}, {"A", "w"},
                                     {"B", "z"}, {"C", "k"}, {"S", "k"}};
    TempDir dir;
    int n = 0;
    for (const WriteCase& c : cases) {
        const std::filesystem::path ours = dir.File("ours" + std::to_string(n) + ".ini");
        const std::filesystem::path theirs = dir.File("theirs" + std::to_string(n++) + ".ini");
        if (c.file) WriteBytes(ours, *c.file), WriteBytes(theirs, *c.file);
        SCOPED_TRACE(c.file.value_or("<no file>") + " [" + c.section + "] " + c.key);
        ASSERT_TRUE(WriteProfileValue(ours, c.section, c.key, c.value).Ok());
        ASSERT_TRUE(
            ::WritePrivateProfileStringA(c.section, c.key, c.value, theirs.string().c_str()));
        bool same = true;
        for (const auto& [section, key] : probes) {
            same = same && WindowsRead(ours, section, key) == WindowsRead(theirs, section, key);
        }
        EXPECT_EQ(same, *c.differs == '\0') << c.differs;
        // The file keeps its encoding, and its byte-order mark, as Windows keeps them.
        EXPECT_EQ(ReadBytes(ours).substr(0, 2), ReadBytes(theirs).substr(0, 2));
    }
}

}  // namespace
}  // namespace kerbview::core
