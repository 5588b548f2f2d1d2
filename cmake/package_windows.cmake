# SPDX-License-Identifier: MIT
# The Windows release (cpack -G ZIP in a MinGW build folder): kerbview-<version>-windows-x64.zip
# holding one folder with kerbview.exe (static: it needs only Windows' own DLLs), a read-me for
# Windows users and the licence, both plain text with CR LF line ends, and beside the zip its
# SHA-256 sum (<zip>.sha256). Included by the top-level CMakeLists.txt once the program's target
# exists; the Linux package is described in data/CMakeLists.txt.
set(windows_data ${PROJECT_SOURCE_DIR}/data/windows)
configure_file(${windows_data}/README.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)

# The licence from the Debian copyright file, its one home: the MIT text without the Debian
# format's indent and paragraph dots, under the copyright line.
file(READ ${PROJECT_SOURCE_DIR}/data/copyright copyright)
string(REGEX MATCH "\nCopyright: ([^\n]*)" _ "${copyright}")
set(holder "${CMAKE_MATCH_1}")
string(REGEX MATCH "\nLicense: MIT\n( [^\n]*\n)+$" licence "${copyright}")
string(REGEX REPLACE "^\nLicense: MIT\n" "" licence "${licence}")
string(REGEX REPLACE "(^|\n) \\.\n" "\\1\n" licence "${licence}")
string(REGEX REPLACE "(^|\n) " "\\1" licence "${licence}")
string(STRIP "${licence}" licence)
string(REPLACE "\n" "\r\n" licence "MIT License\n\nCopyright (c) ${holder}\n\n${licence}\n")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt "${licence}")

install(TARGETS kerbview RUNTIME DESTINATION .)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME kerbview)
set(CPACK_PACKAGE_VENDOR "The Kerbview developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME kerbview-${PROJECT_VERSION}-windows-x64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)
include(CPack)
