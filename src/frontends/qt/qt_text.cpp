// SPDX-License-Identifier: MIT
#include "frontends/qt/qt_text.h"

#include "core/text_encoding.h"

namespace kerbview::qt {

QString FromCp1252(std::string_view cp1252) {
    const std::string utf8 = core::Cp1252ToUtf8(cp1252);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToCp1252(const QString& text) { return core::Utf8ToCp1252(text.toStdString()); }

}  // namespace kerbview::qt
