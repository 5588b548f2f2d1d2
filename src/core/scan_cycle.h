// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/error_report.h"
#include "core/settings.h"

/// The scan cycle: one tick of Timer1 and the procedure Temps, in their fixed order, over the
/// steps that other parts of the program own. Plain C++: the Qt timer calls Tick().
namespace kerbview::core {

/// An item of the TempsRefresc menu and the ScanTime its click sets.
struct ScanTimeItem {
    std::string_view name;
    std::int16_t scanTime;
};

/// The TempsRefresc menu, in menu order.
inline constexpr std::array<ScanTimeItem, 5> kScanTimeItems = {{
    {"TS_10", 10},
    {"TS_50", 50},
    {"TS_150", 150},
    {"TS_500", 500},
    {"TS_1000", 1000},
}};

/// Index in kScanTimeItems of the item that carries the check mark for scanTime; none for a
/// value that no item sets (200 read from the settings file checks nothing).
std::optional<std::size_t> CheckedScanTimeItem(std::int16_t scanTime);

/// Timer1's interval in milliseconds for scanTime; 0 means the timer stays stopped (a ScanTime
/// of 0, and, by our choice, a negative one).
int TimerIntervalFor(std::int16_t scanTime);

/// The steps of a tick that belong to other parts of the program. Every call runs on the
/// user-interface thread inside ScanCycle::Tick; a step may throw to end the tick's Temps.
class ScanSteps {
public:
    virtual ~ScanSteps() = default;

    /// CurrentCar differs from the car whose picture was last looked up (SkinCar).
    virtual bool CarChanged() = 0;
    /// The car-skin update. Its failures are silent: whatever it throws is dropped.
    virtual void CarSkinUpdate() = 0;
    /// Starts or stops Timer1.
    virtual void SetTimerEnabled(bool enabled) = 0;

    /// The main window's current left and top, in twips, as single-precision numbers.
    virtual float WindowLeft() = 0;
    virtual float WindowTop() = 0;

    /// Socket upkeep: connection flags, the Label15 caption, listen (server) or connect (client).
    virtual void SocketUpkeep() = 0;

    /// The game process link: whether the simulator counts as running (shows Label1's status).
    virtual bool RACE07_Actiu() = 0;
    /// Stores the link's result in GameActive.
    virtual void SetGameActive(bool active) = 0;
    /// True while the simulator's process is held open for reading.
    virtual bool ProcessReadable() = 0;
    /// The millisecond tick counter (GetTickCount).
    virtual std::uint32_t TickCount() = 0;
    /// Acquisition and presentation of one scan; in the server role it also sends the snapshot.
    virtual void Lectures() = 0;

    /// Connection flags of the server role.
    virtual bool ServerConnected() = 0;
    virtual bool ReadyToSend() = 0;
    /// Sends the status-only packet (status text = Label1's caption); clears ReadyToSend.
    virtual void SendStatusOnly() = 0;
};

/// Owns the order of a tick. Reads TipusConexio and DebugEnabled from the settings and keeps
/// PosFormX/PosFormY current, writing them to the settings file only when the window moved.
class ScanCycle {
public:
    ScanCycle(ScanSteps& steps, Settings& settings, const SettingsStore& store,
              ErrorReporter& reporter)
        : m_steps(steps), m_settings(settings), m_store(store), m_reporter(reporter) {}

    /// Timer1's tick: the car-skin update when the car changed (Timer1 stopped around it), then
    /// Temps. A tick that falls due while another one is still running (a message box inside
    /// a tick runs a nested event loop, and the timer keeps firing there) is dropped.
    /// Never throws.
    void Tick();

    /// True while a tick runs.
    bool InTick() const { return m_inTick; }
    /// Ticks dropped because they fell due inside another tick.
    std::uint64_t DroppedTicks() const { return m_droppedTicks; }
    /// The tick count taken just before the last Lectures started, when DebugEnabled was on.
    std::uint32_t ScanStartTick() const { return m_scanStartTick; }

private:
    void Temps();
    void SavePosition(float current, std::int32_t& stored, std::optional<float>& lastWritten,
                      std::string_view key);

    ScanSteps& m_steps;
    Settings& m_settings;
    const SettingsStore& m_store;
    ErrorReporter& m_reporter;
    bool m_inTick = false;
    std::uint64_t m_droppedTicks = 0;
    std::uint32_t m_scanStartTick = 0;
    std::optional<float> m_lastWrittenX;
    std::optional<float> m_lastWrittenY;
};

}  // namespace kerbview::core
