// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "telemetry/memory_map.h"
#include "telemetry/memory_readers.h"
#include "telemetry/snapshot.h"

namespace kerbview::telemetry {

/// A fault in the memory contents that ends the acquisition for this tick; the caller's
/// boundary reports it as "Lectures" and skips the rest of Lectures.
class LecturesError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// How an acquisition ended without an error.
enum class AcquireResult {
    Complete,  ///< The snapshot is filled; Lectures goes on to send and present it.
    EndTick,   ///< No usable player slot in this tick: nothing is to be presented or sent.
    /// Every read of the scan failed: the process holds nothing where the simulator keeps its
    /// telemetry (it has ended, or it is another program). This is no snapshot: nothing is
    /// to be presented or sent, and CurrentCar is kept.
    NothingRead,
};

/// The acquisition section of Lectures: finds the player's driver slot and reads one snapshot
/// from the simulator's memory through the readers, in a fixed order of reads. Each acquisition
/// is one scan of the readers (MemoryReaders::BeginScan), so a scan that reads what the last
/// one read costs one batched platform read.
class Acquisition {
public:
    /// The readers are not owned and must outlive the acquisition.
    explicit Acquisition(const MemoryReaders& readers, const MemoryMap& map = LoadMemoryMap())
        : m_readers(readers), m_map(map) {}

    /// Fills `snapshot` (every field is overwritten), DriverSlot and CurrentCar. The caller
    /// runs it only with no role or as a server; a client takes its snapshot from the packet.
    /// Returns EndTick when a mode 1 or 2 slot name holds no character 0, or when the player's
    /// slot is not one of the table's 64 slots (garbage from the slot number address);
    /// NothingRead when every read of the scan failed.
    /// Throws LecturesError for a mode-0 slot name or car text without a character 0, a track
    /// path whose part after the backslash is shorter than four characters, or a lap count of
    /// 32767; the snapshot is then partly filled and is to be discarded.
    AcquireResult Acquire(Snapshot& snapshot);

    /// 0 name search, 1 slot number from memory, 2 FixedDriverSlot. Effective from the next call.
    void SetDriverSelectMode(std::int16_t mode) { m_DriverSelectMode = mode; }
    void SetFixedDriverSlot(std::int16_t slot) { m_FixedDriverSlot = slot; }

    std::int16_t DriverSlot() const { return m_DriverSlot; }
    std::int16_t DriverSelectMode() const { return m_DriverSelectMode; }
    std::int16_t FixedDriverSlot() const { return m_FixedDriverSlot; }
    /// The car name of the last acquisition that read one; empty before.
    const std::string& CurrentCar() const { return m_CurrentCar; }

private:
    AcquireResult ReadScan(Snapshot& snapshot);
    bool FindSlotByName(Snapshot& snapshot);
    bool TakeSlot(std::int16_t slot, Snapshot& snapshot);
    void ReadSlotValues(Snapshot& snapshot);
    void ReadCarValues(Snapshot& snapshot);
    std::string ReadTrackName();

    const MemoryReaders& m_readers;
    MemoryMap m_map;

    std::int16_t m_DriverSlot = 0;
    std::int16_t m_DriverSelectMode = 0;
    std::int16_t m_FixedDriverSlot = 0;
    std::string m_CurrentCar;
};

}  // namespace kerbview::telemetry
