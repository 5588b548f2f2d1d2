// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <filesystem>

namespace kerbview::core {

/// The one way a file or folder name crosses from Qt to the plain C++ code. On Windows the
/// name goes as wide characters, so every character of the folder survives (a narrow
/// std::filesystem::path is read in the ANSI code page there, while Qt's narrow text is UTF-8);
/// elsewhere as the local 8-bit encoding, the one QFile::encodeName gives the system's file
/// calls.
inline std::filesystem::path PathFromQt(const QString& name) {
#ifdef Q_OS_WIN
    return std::filesystem::path(name.toStdWString());
#else
    const QByteArray bytes = name.toLocal8Bit();
    return std::filesystem::path(
        std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
#endif
}

}  // namespace kerbview::core
