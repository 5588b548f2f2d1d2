// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>

#include "app/command_line.h"

namespace kerbview::app {

/// Exit statuses of an export besides 0 (every file written) and 2 (a wrong command line).
inline constexpr int kExportFailed = 1;   ///< nothing readable, or a file not written
inline constexpr int kExportDamaged = 3;  ///< a damaged block ended the reading; files kept

/// Writes the recording out as the request asks, with no window, and returns the exit status.
/// Each file is written under its name with ".part" added and renamed only once whole, so a
/// failed export never leaves a file that looks complete; a file that was already there stays
/// until then. A damaged block ends the reading: every file then holds the stint up to it
/// (kExportDamaged). A cut recording (a program stopped while writing) is exported up to its
/// last whole block with a note. Problems are told on err, one line each.
int RunExport(const ExportRequest& request, std::ostream& err);

}  // namespace kerbview::app
