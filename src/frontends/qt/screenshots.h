// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kerbview::qt {

class Kerbview_Form;

/// Saves the main window at its current size to initialPath, then widens it by half, lets the
/// layout rescale the panel and saves it again to resizedPath. Returns false when a file could
/// not be written.
bool SaveScreenshots(Kerbview_Form& window, const QString& initialPath, const QString& resizedPath);

}  // namespace kerbview::qt
