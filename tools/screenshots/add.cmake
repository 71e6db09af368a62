# SPDX-License-Identifier: GPL-3.0-or-later
# Adds the `shots` program to a build of any revision, without changing it:
#   cmake -S . -B build -DCMAKE_PROJECT_INCLUDE=$PWD/tools/screenshots/add.cmake
# (The deferred call gets the path spelled out: its arguments are read when it runs.)
cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY \"${CMAKE_SOURCE_DIR}\" CALL include \"${CMAKE_CURRENT_LIST_DIR}/target.cmake\")")
