# SPDX-License-Identifier: GPL-3.0-or-later
add_executable(shots ${CMAKE_CURRENT_LIST_DIR}/shots.cpp)
set_target_properties(shots PROPERTIES AUTOMOC ON)
target_link_libraries(shots PRIVATE test_support)
