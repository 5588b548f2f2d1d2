// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/error_report.h"
#include "session_model.h"
#include "telemetry/acquisition.h"
#include "telemetry/memory_readers.h"
#include "telemetry/process_memory.h"
#include "telemetry/snapshot.h"

namespace kerbview::standin {

/// The stand-in's session as the program reads it, without a window or another process: the
/// model is laid out in a block of memory of this process's own, and each scan acquires a
/// snapshot from it through the program's own acquisition. Deterministic for a given seed.
class SessionScans {
public:
    explicit SessionScans(std::uint32_t seed = 7);
    ~SessionScans();
    SessionScans(const SessionScans&) = delete;
    SessionScans& operator=(const SessionScans&) = delete;

    SessionModel& Model() { return m_model; }
    /// Publishes the model and acquires one snapshot from it. False (the snapshot left as the
    /// acquisition leaves it) when the acquisition found no player's slot.
    bool Scan(telemetry::Snapshot& snapshot);

private:
    SessionModel m_model;
    telemetry::MemoryMap m_map = telemetry::LoadMemoryMap();
    std::vector<unsigned char> m_image;
    std::uint64_t m_start;
    std::unique_ptr<telemetry::ProcessReader> m_reader;
    core::ErrorReporter m_errors;
    telemetry::MemoryReaders m_readers;
    telemetry::Acquisition m_acquisition;
};

}  // namespace kerbview::standin
