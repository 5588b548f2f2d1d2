// SPDX-License-Identifier: MIT
// libFuzzer target for the settings-file reader: the input is the whole Kerbview.ini. Every
// setting is loaded from it, a few keys are read, and one value is written into a copy, which
// must read back and leave every other line, and the values read from them, as they were.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "core/address_rules.h"
#include "core/number_rules.h"
#include "core/profile_file.h"
#include "core/settings.h"
#include "core/text_encoding.h"

namespace {

using namespace kerbview;

void Require(bool holds) {
    if (!holds) std::abort();
}

struct Probe {
    std::string_view section;
    std::string_view key;
};

// Keys of the program's own sections, in other letter cases too, and names the file may lack.
constexpr Probe kProbes[] = {
    {"Opcions", "ScanTime"},
    {"Opcions", "IP"},
    {"OPCIONS", "port"},
    {"Opcions", "Idioma"},
    {"opcions", "TipusConexio"},
    {"MaxMin", "MaxPneu"},
    {"MaxMin", "minfrens"},
    {"Depurar", "Depurar"},
    {"Administrar", "Administrar"},
    {"Cars", "BMW 320si"},
    {"a", "b"},
    {"Opcions", "Fuzz"},
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Spit(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<long>(bytes.size()));
}

// A folder of its own for one run's files; removed with them at the end of the run.
class Folder {
public:
    Folder() {
        char name[] = "/dev/shm/kerbview-profile-fuzz-XXXXXX";
        if (::mkdtemp(name) == nullptr) std::abort();
        m_path = name;
    }
    ~Folder() {
        std::remove(File("Kerbview.ini").c_str());
        std::remove(File("copy.ini").c_str());
        ::rmdir(m_path.c_str());
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    std::string File(const char* name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

void CheckLoadSettings(const std::string& path) {
    core::ErrorReporter reporter;
    try {
        core::SettingsStore store(path);
        const core::Settings s = core::LoadSettings(store, '.', reporter);
        Require(s.Unitats == "Metric" || s.Unitats == "Imperial");
        Require(s.BackgroundColor >= 0);
        Require(core::IsNumeric(s.Port, '.'));
        core::ErrorReporter quiet;
        Require(core::Valid_IP(s.IP, '.', quiet));
    } catch (const core::SettingsLoadError&) {
        // A value out of range ends start-up; that is a result, not a fault.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the key written and its value; the rest is the file.
    const Probe& target = kProbes[data[0] % std::size(kProbes)];
    const std::string value = "v" + std::to_string(data[0]);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    const Folder folder;
    const std::string original = folder.File("Kerbview.ini");
    const std::string copy = folder.File("copy.ini");
    Spit(original, bytes);

    std::optional<std::string> before[std::size(kProbes)];
    for (std::size_t i = 0; i < std::size(kProbes); ++i) {
        before[i] = core::ReadProfileValue(original, kProbes[i].section, kProbes[i].key);
        const std::string ini = core::ReadIni(original, kProbes[i].section, kProbes[i].key, "");
        Require(!ini.empty() && ini.size() <= 254);
    }

    Spit(copy, bytes);
    Require(core::WriteProfileValue(copy, target.section, target.key, value).Ok());
    const std::string writtenBytes = Slurp(copy);

    // The value reads back, and every other key reads as before. The file's encoding is judged
    // on the whole file: a write that replaces its only bytes that are not UTF-8 turns it into
    // a UTF-8 file, and the other values are then decoded as UTF-8 (a known limit, not checked).
    Require(core::ReadProfileValue(copy, target.section, target.key) == value);
    const bool sameEncoding = core::LooksLikeUtf8(bytes) == core::LooksLikeUtf8(writtenBytes);
    for (std::size_t i = 0; i < std::size(kProbes) && sameEncoding; ++i) {
        if (&kProbes[i] == &target) continue;
        const bool sameKey = [&] {
            auto lower = [](std::string_view t) {
                std::string out(t);
                for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
                return out;
            };
            return lower(kProbes[i].section) == lower(target.section) &&
                   lower(kProbes[i].key) == lower(target.key);
        }();
        if (!sameKey) {
            Require(core::ReadProfileValue(copy, kProbes[i].section, kProbes[i].key) == before[i]);
        }
    }

    // Only one line changed: what the write removed from the file holds no line end. A UTF-16
    // file is compared as text.
    std::string_view file = bytes;
    std::string_view written = writtenBytes;
    std::string fileText;
    std::string writtenText;
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        Require(writtenBytes.substr(0, 2) == "\xFF\xFE");
        fileText = core::Utf16LeToUtf8(bytes.substr(2));
        writtenText = core::Utf16LeToUtf8(std::string_view(writtenBytes).substr(2));
        file = fileText;
        written = writtenText;
    }
    std::size_t prefix = 0;
    while (prefix < file.size() && prefix < written.size() && file[prefix] == written[prefix]) {
        ++prefix;
    }
    std::size_t suffix = 0;
    while (suffix < file.size() - prefix && suffix < written.size() - prefix &&
           file[file.size() - 1 - suffix] == written[written.size() - 1 - suffix]) {
        ++suffix;
    }
    Require(file.substr(prefix, file.size() - prefix - suffix).find_first_of("\r\n") ==
            std::string_view::npos);

    CheckLoadSettings(original);
    return 0;
}
