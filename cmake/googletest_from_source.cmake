# SPDX-License-Identifier: MIT
# GoogleTest built from source with the project's own compiler, for a cross build where no
# GoogleTest for the target is installed. Debian's googletest package puts the sources in
# /usr/src/googletest. Gives the same GTest::gtest and GTest::gtest_main targets as
# find_package(GTest).
set(KERBVIEW_GOOGLETEST_SOURCE /usr/src/googletest
    CACHE PATH "GoogleTest sources, built when cross-compiling (Debian package googletest)")
if(NOT EXISTS ${KERBVIEW_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${KERBVIEW_GOOGLETEST_SOURCE}: install Debian's "
                      "googletest package or set KERBVIEW_GOOGLETEST_SOURCE")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${KERBVIEW_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Its warnings are not ours to fix. GoogleTest defines GTest::gtest and GTest::gtest_main itself.
set_target_properties(gtest gtest_main PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
