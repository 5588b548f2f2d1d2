// SPDX-License-Identifier: MIT
#include "core/scan_cycle.h"

#include "core/number_rules.h"

namespace kerbview::core {
namespace {

constexpr std::int16_t kNone = 0;
constexpr std::int16_t kServer = 1;

// Clears a flag on every way out of a scope.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagGuard() { m_flag = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& m_flag;
};

}  // namespace

std::optional<std::size_t> CheckedScanTimeItem(std::int16_t scanTime) {
    for (std::size_t i = 0; i < kScanTimeItems.size(); ++i) {
        if (kScanTimeItems[i].scanTime == scanTime) return i;
    }
    return std::nullopt;
}

int TimerIntervalFor(std::int16_t scanTime) { return scanTime > 0 ? scanTime : 0; }

void ScanCycle::Tick() {
    // The only message boxes of the program wait inside a tick, and their nested event loop
    // keeps delivering Timer1. A tick started there would run Temps inside Temps (and open the
    // box again); it is dropped instead, and the next regular tick scans as usual.
    if (m_inTick) {
        ++m_droppedTicks;
        return;
    }
    FlagGuard inTick(m_inTick);
    if (m_steps.CarChanged()) {
        m_steps.SetTimerEnabled(false);
        try {
            m_steps.CarSkinUpdate();
        } catch (...) {
            // The car-skin update reports nothing: a picture that fails is simply not shown.
        }
        m_steps.SetTimerEnabled(true);
    }
    Temps();
}

void ScanCycle::Temps() {
    try {
        SavePosition(m_steps.WindowLeft(), m_settings.PosFormX, m_lastWrittenX, "PosFormX");
        SavePosition(m_steps.WindowTop(), m_settings.PosFormY, m_lastWrittenY, "PosFormY");
        m_steps.SocketUpkeep();
        // A client is fed by its server; a role that is none of the three (a hand-edited file)
        // neither reads the simulator nor shows anything.
        if (m_settings.TipusConexio != kNone && m_settings.TipusConexio != kServer) return;
        const bool running = m_steps.RACE07_Actiu();
        m_steps.SetGameActive(running);
        // A simulator whose process could not be opened has nothing to read: no snapshot is
        // taken, presented or sent, and a server's client gets the status instead.
        if (running && m_steps.ProcessReadable()) {
            if (m_settings.DebugEnabled) m_scanStartTick = m_steps.TickCount();
            m_steps.Lectures();
            return;
        }
        if (m_settings.TipusConexio == kServer && m_steps.ServerConnected() &&
            m_steps.ReadyToSend()) {
            m_steps.SendStatusOnly();
        }
    } catch (...) {
        m_reporter.ReportCurrentException("Temps");
    }
}

// The stored position is a whole number of twips while the window reports a single; a window
// at a fractional position would differ from its rounded value on every tick, so a position
// equal to the one last written (and still held, rounded) counts as unchanged too.
void ScanCycle::SavePosition(float current, std::int32_t& stored, std::optional<float>& lastWritten,
                             std::string_view key) {
    if (static_cast<double>(current) == static_cast<double>(stored)) return;
    if (lastWritten && *lastWritten == current && stored == ToInt32(current)) return;
    // A busy file keeps the value for the next write; only a failure is worth a report.
    if (const WriteResult written = m_store.Write(kOpcions, key, SingleText(current, '.'));
        written.status == WriteStatus::Failed) {
        m_reporter.ReportError("Temps", written.error);
    }
    stored = ToInt32(current);
    lastWritten = current;
}

}  // namespace kerbview::core
