# Test programs are GoogleTest console programs run under Wine through ctest.
include(GoogleTest)

add_library(gtest STATIC IMPORTED GLOBAL)
set_target_properties(gtest PROPERTIES
  IMPORTED_LOCATION ${ZELVO_DEPS}/${ZELVO_ARCH}/gtest/lib/libgtest.a
  INTERFACE_INCLUDE_DIRECTORIES ${ZELVO_DEPS}/${ZELVO_ARCH}/gtest/include)
add_library(gtest_main STATIC IMPORTED GLOBAL)
set_target_properties(gtest_main PROPERTIES
  IMPORTED_LOCATION ${ZELVO_DEPS}/${ZELVO_ARCH}/gtest/lib/libgtest_main.a
  INTERFACE_LINK_LIBRARIES gtest)

if(ZELVO_ARCH STREQUAL "x86_64")
  set(ZELVO_WINE /usr/lib/wine/wine64)
  set(ZELVO_WINEARCH win64)
else()
  set(ZELVO_WINE /usr/lib/wine/wine)
  set(ZELVO_WINEARCH win32)
endif()
set(ZELVO_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELVO_WINE})
set(ZELVO_TEST_ENV
  WINEPREFIX=${ZELVO_WINEPREFIX} WINEARCH=${ZELVO_WINEARCH} WINEDEBUG=-all
  "WINEDLLOVERRIDES=mscoree,mshtml=" ZELVO_WINE=${ZELVO_WINE})

# Window tests need a foreground, keyboard focus, the mouse, the clipboard or
# the screen's pixels to themselves. tools/run-tests.sh starts several X
# screens, each with a Wine prefix and session of its own, and names them to
# ctest as "screens"; every window test asks for one, and tools/on-screen.sh
# points it at the screen ctest gave it. Two window tests never share a screen;
# tests that only draw into memory run side by side on a display of their own.
set(ZELVO_ON_SCREEN bash ${CMAKE_SOURCE_DIR}/tools/on-screen.sh)
# Test programs that need no screen run through tools/in-wine.sh, which says
# the status of a program that failed without a word.
set(ZELVO_IN_WINE bash ${CMAKE_SOURCE_DIR}/tools/in-wine.sh)
# Script tests get tools/script-trace.sh, which names the command that ended
# a script under `set -e`.
set(ZELVO_SCRIPT_TEST_ENV BASH_ENV=${CMAKE_SOURCE_DIR}/tools/script-trace.sh)
# Window tests get the window driver, with which on-screen.sh hands each one
# a clean screen and the black-box scripts drive their programs.
set(ZELVO_SCREEN_TEST_ENV ${ZELVO_TEST_ENV} ZELVO_WINDRIVER=$<TARGET_FILE:WinDriver>)

# zelvo_add_gtest(name sources... [WINDOWS] [ONE_AT_A_TIME] LIBS libs...)
# WINDOWS: the program's tests show windows or need focus, mouse, clipboard
# or the screen, and run on a screen of their own.
# ONE_AT_A_TIME: the program's tests change files beside the program, which
# every screen shares, so no two of them run at once.
function(zelvo_add_gtest name)
  cmake_parse_arguments(T "WINDOWS;ONE_AT_A_TIME" "" "LIBS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main gtest)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/common)
  if(T_WINDOWS)
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${ZELVO_ON_SCREEN};${ZELVO_WINE}")
    set(properties ENVIRONMENT "${ZELVO_SCREEN_TEST_ENV}" TIMEOUT 120 RESOURCE_GROUPS screens:1)
  else()
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${ZELVO_IN_WINE};${ZELVO_WINE}")
    set(properties ENVIRONMENT "${ZELVO_TEST_ENV}" TIMEOUT 120)
  endif()
  if(T_ONE_AT_A_TIME)
    list(APPEND properties RESOURCE_LOCK ${name})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ${properties})
endfunction()

# zelvo_add_script_test(name script args...): a shell check around the Windows programs.
function(zelvo_add_script_test name script)
  add_test(NAME ${name} COMMAND bash ${script} ${ARGN} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ZELVO_TEST_ENV};${ZELVO_SCRIPT_TEST_ENV}" TIMEOUT 300)
endfunction()

# zelvo_add_screen_script_test(name script args...): a shell check whose
# programs show windows or need focus, mouse, clipboard or the screen; it runs
# on a screen of its own.
function(zelvo_add_screen_script_test name script)
  add_test(NAME ${name} COMMAND ${ZELVO_ON_SCREEN} bash ${script} ${ARGN}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ZELVO_SCREEN_TEST_ENV};${ZELVO_SCRIPT_TEST_ENV}" TIMEOUT 300
    RESOURCE_GROUPS screens:1)
endfunction()

# zelvo_add_gui_test(name script args...): a black-box test of a GUI program
# (tests/blackbox/README.md). The script sources tests/blackbox/lib.sh, which
# runs WinDriver from ZELVO_WINDRIVER. Every such test runs on a screen of its own.
function(zelvo_add_gui_test name script)
  zelvo_add_screen_script_test(${name} ${script} ${ARGN})
endfunction()
