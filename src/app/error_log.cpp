// SPDX-License-Identifier: MIT
#include "app/error_log.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "app/presenter.h"

namespace kerbview::app {
namespace {

constexpr auto kSecond = std::chrono::seconds(1);

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The kind of a line: the line with every number (decimal, or hexadecimal after "0x") as "#",
// so that "12 received bytes" and "7 received bytes" are one kind.
std::string KindOf(std::string_view line) {
    std::string kind;
    kind.reserve(line.size());
    for (std::size_t i = 0; i < line.size();) {
        if (line.compare(i, 2, "0x") == 0 && i + 2 < line.size() && IsHexDigit(line[i + 2])) {
            i += 2;
            while (i < line.size() && IsHexDigit(line[i])) ++i;
            kind += '#';
        } else if (IsDigit(line[i])) {
            while (i < line.size() && IsDigit(line[i])) ++i;
            kind += '#';
        } else {
            kind += line[i++];
        }
    }
    return kind;
}

}  // namespace

ErrorLog::ErrorLog(panel::DebugModel& debug, std::ostream& out,
                   std::function<Clock::time_point()> now)
    : m_debug(debug), m_out(out), m_now(std::move(now)) {}

ErrorLog::~ErrorLog() { Flush(true); }

void ErrorLog::Report(const core::ErrorReport& report, bool debugEnabled) {
    if (debugEnabled) m_debug.SetLabel(21, Presenter::DebugErrorLine(report.procedure));
    Write(report.procedure + ": " + report.message);
}

void ErrorLog::Notice(std::string_view text) { Write(std::string(text)); }

void ErrorLog::Flush() { Flush(false); }

void ErrorLog::Write(std::string line) {
    const Clock::time_point now = m_now();
    std::string kindName = KindOf(line);
    auto kind = m_kinds.find(kindName);
    if (kind != m_kinds.end() && now - kind->second.written < kSecond) {
        ++kind->second.held;
        kind->second.heldLine = std::move(line);
        kind->second.order = ++m_order;
        return;
    }
    if (kind == m_kinds.end()) {
        if (m_kinds.size() >= kMaxKinds) Settle(now, false);
        if (m_kinds.size() >= kMaxKinds) {
            ++m_otherHeld;
            return;
        }
        kind = m_kinds.emplace(std::move(kindName), Kind{}).first;
    }
    Emit(line, std::exchange(kind->second.held, 0));
    kind->second.written = now;
    kind->second.heldLine.clear();
}

void ErrorLog::Flush(bool all) {
    const Clock::time_point now = m_now();
    Settle(now, all);
    if (m_otherHeld > 0 && (all || now - m_otherWritten >= kSecond)) {
        m_otherWritten = now;
        const std::uint64_t other = std::exchange(m_otherHeld, 0);
        Emit("(" + std::to_string(other) + (other == 1 ? " more line" : " more lines") +
                 " of other kinds not shown)",
             0);
    }
}

void ErrorLog::Settle(Clock::time_point now, bool all) {
    // Held lines come out in the order they came in.
    std::vector<Kind*> due;
    for (auto it = m_kinds.begin(); it != m_kinds.end();) {
        const bool quiet = all || now - it->second.written >= kSecond;
        if (quiet && it->second.held > 0) {
            due.push_back(&it->second);
        } else if (quiet) {
            it = m_kinds.erase(it);
            continue;
        }
        ++it;
    }
    std::sort(due.begin(), due.end(),
              [](const Kind* a, const Kind* b) { return a->order < b->order; });
    for (Kind* kind : due) {
        // The last held line is written; the others before it are counted.
        Emit(kind->heldLine, kind->held - 1);
        kind->held = 0;
        kind->heldLine.clear();
        kind->written = now;
    }
}

void ErrorLog::Emit(const std::string& line, std::uint64_t notShown) {
    const std::string text =
        notShown == 0 ? line
                      : line + " (and " + std::to_string(notShown) + " more like it, not shown)";
    m_out << "Kerbview: " << text << std::endl;
    m_debug.AppendLog(text);
}

}  // namespace kerbview::app
