// SPDX-License-Identifier: MIT
// How many saves of a text editor are lost while two copies of Kerbview write the same
// settings file (scripts/editor-race.sh runs it against this tree and an older revision).
//   editor_race rename|inplace SAVES [FOLDER]
// Two writer processes write keys of their own with the program's own settings store, as fast
// as they can. Meanwhile this process acts as an editor that takes no lock: it reads the file,
// sets [Editor] Save to the save's number and saves it, either through a new file renamed over
// Kerbview.ini (rename) or by overwriting Kerbview.ini (inplace). After each save it takes the
// writers' lock, so that no write is half done, and checks that the file still holds that save.
// Prints "<mode>: <lost> of <saves> editor saves lost". The file is made in FOLDER (a new
// folder under the temporary folder by default), so other file systems can be tried.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>

#include "core/file_system.h"
#include "core/profile_text.h"
#include "core/settings.h"

namespace {

namespace fs = std::filesystem;
using namespace kerbview::core;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

// A second copy of Kerbview: writes its keys until the stop file appears, then exits.
[[noreturn]] void Writer(const fs::path& ini, const std::string& prefix, const fs::path& stop) {
    SettingsStore store(ini);
    for (int n = 0; !fs::exists(stop); ++n) {
        store.Write("Opcions", prefix + std::to_string(n % 20), std::to_string(n));
    }
    for (int tries = 0; tries < 1000 && !store.Flush().Ok(); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::_Exit(0);
}

void Save(bool rename, const fs::path& ini, std::string_view bytes) {
    if (rename) {
        fs::path temp = ini;
        temp += ".editor~";
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || !WriteAll(fd, bytes)) std::perror("editor_race: save");
        ::close(fd);
        fs::rename(temp, ini);
    } else {
        const int fd = ::open(ini.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || !WriteAll(fd, bytes)) std::perror("editor_race: save");
        ::close(fd);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3 ||
        (std::string_view(argv[1]) != "rename" && std::string_view(argv[1]) != "inplace")) {
        std::fprintf(stderr, "usage: %s rename|inplace SAVES [FOLDER]\n", argv[0]);
        return 2;
    }
    const bool rename = std::string_view(argv[1]) == "rename";
    const int saves = std::atoi(argv[2]);
    fs::path folder = argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path();
    folder /= "kerbview-editor-race-" + std::to_string(::getpid());
    fs::create_directories(folder);
    const fs::path ini = folder / "Kerbview.ini";
    const fs::path stop = folder / "stop";
    SettingsStore(ini).Write("Editor", "Save", "0");

    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = ::fork();
        if (writers[w] == 0) Writer(ini, w == 0 ? "A" : "B", stop);
    }
    const auto files = MakeFileSystem();
    int lost = 0;
    for (int save = 1; save <= saves; ++save) {
        const std::string value = std::to_string(save);
        Save(rename, ini, WithProfileValue(Slurp(ini), "Editor", "Save", value));
        LockAttempt lock;
        while (!(lock = files->TryLockWriters(ini)).lock) {
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        lost += ProfileValueIn(Slurp(ini), "Editor", "Save") != value;
    }
    std::ofstream(stop).put('\n');
    for (pid_t writer : writers) ::waitpid(writer, nullptr, 0);
    std::printf("%s: %d of %d editor saves lost\n", argv[1], lost, saves);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
