// SPDX-License-Identifier: MIT
// The program's side of the lap history: the race dialog's accept button and the laps' export.
#include "app/program.h"

namespace kerbview::app {

RaceDialogOutcome Program::RaceDialogAccept(const RaceDialogValues&) {
    return RaceDialogOutcome::Refused;
}

bool Program::ExportLaps(const std::filesystem::path&) { return false; }

}  // namespace kerbview::app
