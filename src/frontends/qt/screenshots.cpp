// SPDX-License-Identifier: MIT
#include "frontends/qt/screenshots.h"

#include <QApplication>
#include <QPixmap>

#include "frontends/qt/main_window.h"

namespace kerbview::qt {

bool SaveScreenshots(Kerbview_Form& window, const QString& initialPath,
                     const QString& resizedPath) {
    QApplication::processEvents();
    const bool first = window.grab().save(initialPath);
    window.resize(window.width() * 3 / 2, window.height());
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
    const bool second = window.grab().save(resizedPath);
    return first && second;
}

}  // namespace kerbview::qt
