// SPDX-License-Identifier: MIT
#pragma once

#include "memory_writer.h"
#include "telemetry/snapshot.h"

namespace kerbview::standin {

/// Writes a snapshot at the memory map's addresses, laid out so that telemetry::Acquisition
/// reads it back in every driver-select mode (mode 2 with DriverSlot as its fixed slot): the
/// player's name and slot number point at slot DriverSlot, and every other slot's name is
/// cleared, so that no older sample's slot is found instead. What memory cannot hold comes back
/// changed: texts longer than their fields are cut, a DriverSlot outside the slot table is laid
/// out in slot 0, the one-byte fields keep their low byte, and the figures that the simulator
/// keeps scaled (wheel speeds, the two bars) come back to within a bit or two of their last.
void PublishSnapshot(const telemetry::Snapshot& snapshot, MemoryWriter& memory);

}  // namespace kerbview::standin
