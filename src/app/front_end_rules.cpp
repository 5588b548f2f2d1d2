// SPDX-License-Identifier: MIT
#include "app/front_end_rules.h"

#include <fstream>
#include <system_error>

namespace kerbview::app {

MessageBoxes::Action MessageBoxes::Show(std::string_view line1, std::string_view line2) {
    std::string text(line1);
    if (!line2.empty()) (text += '\n') += line2;
    if (m_open && text == m_text) return Action::Raise;
    m_text = std::move(text);
    m_open = true;
    return Action::Open;
}

bool WriteStatsFile(const std::filesystem::path& path, std::int64_t ms, std::uint64_t sent,
                    std::uint64_t presented) {
    std::filesystem::path next = path;
    next += ".new";
    {
        std::ofstream file(next, std::ios::binary | std::ios::trunc);
        file << "ms=" << ms << "\nsent=" << sent << "\npresented=" << presented << '\n';
        if (!file.flush()) return false;
    }
    std::error_code error;
    std::filesystem::rename(next, path, error);
    return !error;
}

}  // namespace kerbview::app
