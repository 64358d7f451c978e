# Test support: GoogleTest from Debian's sources, and CTest entries that run
# Windows test programs under Wine in a prefix of this build's own.
set(ZYN_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix the tests run in")
set(ZYN_WINE_RUN ${CMAKE_SOURCE_DIR}/tools/wine-run.sh)
set(ZYN_WINE_PREFIX_SCRIPT ${CMAKE_SOURCE_DIR}/tools/wine-prefix.sh)
# Each tree runs in a prefix of its own architecture: the i686 build under
# 32-bit Wine, the x86_64 build under 64-bit Wine.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(ZYN_WINEARCH win32)
else()
  set(ZYN_WINEARCH win64)
endif()
set(ZYN_WINE_RUN ${ZYN_WINE_RUN} --arch ${ZYN_WINEARCH})

set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
if(EXISTS ${GTEST_SOURCE_DIR}/CMakeLists.txt AND NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# The prefix is booted once before the tests and stopped after them.
add_test(NAME wine_prefix_start COMMAND ${ZYN_WINE_PREFIX_SCRIPT} start ${ZYN_WINEPREFIX} ${ZYN_WINEARCH})
add_test(NAME wine_prefix_stop COMMAND ${ZYN_WINE_PREFIX_SCRIPT} stop ${ZYN_WINEPREFIX})
set_tests_properties(wine_prefix_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

# zyn_add_test(<name> SOURCES ... [LIBS ...] [WINVER nt351|nt40|win95|win2k|...]
#              [TIMEOUT seconds] [LABELS ...])
# Builds a GoogleTest program and runs it under Wine; with WINVER the program
# sees that Windows version through GetVersion.
function(zyn_add_test name)
  cmake_parse_arguments(T "" "WINVER;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gmock gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  set(run ${ZYN_WINE_RUN})
  if(T_WINVER)
    list(APPEND run --winver ${T_WINVER})
  endif()
  add_test(NAME ${name} COMMAND ${run} ${ZYN_WINEPREFIX} $<TARGET_FILE:${name}> --gtest_color=no)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT ${T_TIMEOUT}
                       LABELS "${T_LABELS}")
endfunction()

# zyn_add_shipped_check(<dll file name> [<def file> [<export name>...]])
# Registers a static check of this tree's DLL: machine type of the tree,
# system-only imports, and with export names, the DLL and the .def must both
# export exactly those.
function(zyn_add_shipped_check dll)
  add_test(NAME shipped_${dll}
           COMMAND ${CMAKE_SOURCE_DIR}/tools/check-shipped.sh --machine ${CMAKE_SYSTEM_PROCESSOR}
                   ${CMAKE_BINARY_DIR}/bin/${dll} ${ARGN})
endfunction()
