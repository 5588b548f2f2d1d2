// SPDX-License-Identifier: MIT
#include "frontends/qt/open_url.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace kerbview::qt {

bool OpenURL(const std::string& address, int /*showMode*/) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

}  // namespace kerbview::qt
