# Test helpers. Native tests run directly; Windows tests run under Wine through the
# cross-compiling emulator and need the "wine" fixture (Xvfb, prefix, persistent wineserver).
enable_testing()
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

# The Wine harness state lives in the build tree; 64-bit test builds use the 64-bit loader.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(SETUP_WINE_LOADER /usr/lib/wine/wine64)
else()
  set(SETUP_WINE_LOADER /usr/bin/wine)
endif()
set(SETUP_WINE_ENV "SETUP_WINE_STATE=${CMAKE_BINARY_DIR}/wine;SETUP_WINE_LOADER=${SETUP_WINE_LOADER}")

# add_native_test(name SOURCES ... LIBS ...): a GoogleTest program of the portable core.
function(add_native_test name)
  if(WIN32)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS native)
endfunction()

# add_wine_test(name SOURCES ... LIBS ... [GUI]): a GoogleTest program run under Wine.
function(add_wine_test name)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  if(T_GUI)
    target_link_options(${name} PRIVATE -mwindows)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine LABELS wine TIMEOUT 300
    ENVIRONMENT "${SETUP_WINE_ENV}")
endfunction()

# setup_module(name): the library of one folder. Files named *_win.cpp hold Win32 code and go
# into <name>_win (Windows builds only); *_posix.cpp are their counterparts for the native build
# (in <name>_core elsewhere only); every other .cpp is portable and goes into <name>_core.
function(setup_module name)
  cmake_parse_arguments(M "" "" "CORE_LIBS;WIN_LIBS" ${ARGN})
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(core ${all})
  list(FILTER core EXCLUDE REGEX "_win\\.cpp$")
  if(WIN32)
    list(FILTER core EXCLUDE REGEX "_posix\\.cpp$")
  endif()
  set(win ${all})
  list(FILTER win INCLUDE REGEX "_win\\.cpp$")
  if(NOT core)
    set(core ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name}_core STATIC ${core})
  target_link_libraries(${name}_core PUBLIC ${M_CORE_LIBS})
  if(WIN32)
    if(NOT win)
      set(win ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
    endif()
    add_library(${name}_win STATIC ${win})
    target_link_libraries(${name}_win PUBLIC ${name}_core ${M_WIN_LIBS})
  endif()
endfunction()

# Every test program links the whole core (and, on Windows, the Win32 layers).
set(SETUP_TEST_LIBS uninstaller_core wizard_core install_core controls_core support_core)
if(WIN32)
  set(SETUP_TEST_LIBS uninstaller_win wizard_win install_win controls_win support_win platform ${SETUP_TEST_LIBS})
endif()

# add_test_folder(): one test program per *_test.cpp of the calling folder.
function(add_test_folder kind)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  foreach(t ${tests})
    get_filename_component(n ${t} NAME_WE)
    if(kind STREQUAL native)
      add_native_test(${n} SOURCES ${t} LIBS ${SETUP_TEST_LIBS} ${ARGN})
    else()
      add_wine_test(${kind}_${n} SOURCES ${t} LIBS ${SETUP_TEST_LIBS} ${ARGN})
    endif()
  endforeach()
endfunction()
