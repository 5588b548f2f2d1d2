// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

/// Rules every front end follows beside what the FrontEnd interface asks of it, whatever draws
/// the windows: the message boxes, the web site the logos open and the measurement file.
namespace kerbview::app {

/// Address of the community web site opened by the logos of the main and about windows.
inline constexpr std::string_view kCommunityWebSite = "https://www.kerbview.org/";

/// The program's message boxes (FrontEnd::ShowMessage). A message's text is its first line, and
/// the second under it when it has one. A message with the same text as the box opened last,
/// while that box is still open, brings it to the front instead of stacking a second box: a
/// fault repeated every scan shows one box.
class MessageBoxes {
public:
    enum class Action { Open, Raise };
    /// What to do with a message of the two lines (Windows-1252); Text() is its text after.
    Action Show(std::string_view line1, std::string_view line2);
    /// The box opened last was closed.
    void Closed() { m_open = false; }
    /// The text of the message last shown.
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
    bool m_open = false;
};

/// Writes the measurement file of --stats-file, which scripts/measure.sh and soak.sh read: the
/// milliseconds since start and the packets sent and presented so far, one "name=value" line
/// each (ms, sent, presented). The whole file is replaced in one step, so a reader never sees
/// part of it. Returns false when it could not be written; the old file then stays.
bool WriteStatsFile(const std::filesystem::path& path, std::int64_t ms, std::uint64_t sent,
                    std::uint64_t presented);

}  // namespace kerbview::app
