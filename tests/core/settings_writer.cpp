// SPDX-License-Identifier: MIT
// A writer of one settings file, for the concurrent-writers test: settings_writer INI PREFIX
// COUNT waits until the file INI.start exists (so that the writers start together), then writes
// the keys PREFIX0 .. PREFIX<COUNT-1> of section Opcions one write at a time, as a copy of
// Kerbview does while its window is dragged, and exits 0 once every value is in the file.
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "core/settings.h"

int main(int argc, char* argv[]) {
    if (argc != 4) return 2;
    kerbview::core::SettingsStore store{std::filesystem::path(argv[1])};
    const std::string prefix = argv[2];
    const int count = std::atoi(argv[3]);
    std::filesystem::path start = store.IniPath();
    start += ".start";
    for (int waited = 0; !std::filesystem::exists(start); ++waited) {
        if (waited == 20000) return 3;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (int i = 0; i < count; ++i) {
        if (store.Write("Opcions", prefix + std::to_string(i), std::to_string(i)).status ==
            kerbview::core::WriteStatus::Failed) {
            return 1;
        }
    }
    for (int tries = 0; !store.Flush().Ok(); ++tries) {
        if (tries == 5000) return 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return 0;
}
