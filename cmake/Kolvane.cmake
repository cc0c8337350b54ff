# Build settings shared by every Kolvane target.

option(KOLVANE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

# Benchmarks need Google Benchmark, which is packaged for the native build only.
if(CMAKE_CROSSCOMPILING)
  set(_kolvane_bench_default OFF)
else()
  set(_kolvane_bench_default ON)
endif()
option(KOLVANE_BUILD_BENCHMARKS "Build the benchmarks in bench/" ${_kolvane_bench_default})

# The project's own code builds warning-free; third-party code (GoogleTest
# built from source for Windows) keeps its own flags.
function(kolvane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

if(KOLVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  # GCC's bounds check passes over a record's last array, which old C code
  # declares short and allocates long. The interface's event list is such a
  # record: code must reach its slots through their address, and indexing
  # past the two declared ones must show.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-fsanitize=bounds-strict)
  endif()
endif()

# The fuzz targets in fuzz/ (clang only): every library is instrumented for
# libFuzzer's coverage, the targets link its driver.
option(KOLVANE_FUZZ "Build the libFuzzer targets in fuzz/ instead of the tests" OFF)
if(KOLVANE_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Windows test executables run under Wine, headless, in a prefix that lives
# in the build tree, so that `ctest` works the same on every preset.
if(CMAKE_CROSSCOMPILING AND WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(_kolvane_wine_arch win64)
  else()
    set(_kolvane_wine_arch win32)
  endif()
  set(CMAKE_CROSSCOMPILING_EMULATOR
      "${PROJECT_SOURCE_DIR}/cmake/wine-run;${CMAKE_BINARY_DIR}/wineprefix;${_kolvane_wine_arch}")
endif()

# GoogleTest: the packaged library natively; built from the packaged sources
# for the Windows targets, where no binary package exists.
macro(kolvane_find_gtest)
  if(CMAKE_CROSSCOMPILING)
    if(NOT TARGET GTest::gtest_main)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
      # Defines the same GTest:: targets as the package's CMake config.
      add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    endif()
  else()
    find_package(GTest REQUIRED)
  endif()
endmacro()

# kolvane_add_test(name SOURCES ... LIBRARIES ...): one GoogleTest executable
# registered as one CTest test. Single cases run with --gtest_filter.
function(kolvane_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  kolvane_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest_main GTest::gmock)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
endfunction()

# Under Wine, every test of the calling directory counts as skipped, not
# failed, where the machine cannot run the Windows loader at all
# (cmake/wine-run exits with 77 then). Call it at the end of a test folder.
function(kolvane_skip_tests_without_wine)
  if(CMAKE_CROSSCOMPILING)
    get_directory_property(_tests TESTS)
    if(_tests)
      set_tests_properties(${_tests} PROPERTIES SKIP_RETURN_CODE 77)
    endif()
  endif()
endfunction()

# Every library symbol is hidden unless marked: a plug-in binary exports its
# entry points and nothing else.
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_C_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)

# Link settings of every plug-in module built for Linux: symbols of the
# static libraries linked in stay inside the module. The C++ runtime goes in
# too, so the module needs only the C library, libm and the desktop
# libraries it names.
function(kolvane_linux_module target)
  target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL -Wl,--no-undefined
                      -static-libstdc++ -static-libgcc)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/framework/vst2/StaticRuntimeUnload.cpp)
endfunction()

# kolvane_add_vst2_plugin(target OUTPUT_NAME name SOURCES ... LIBRARIES ...):
# a VST2 plug-in binary (a DLL on Windows, a shared object on Linux) whose
# sources define the entry points with KOLVANE_VST2_ENTRY_POINTS.
function(kolvane_add_vst2_plugin target)
  cmake_parse_arguments(ARG "" "OUTPUT_NAME" "SOURCES;LIBRARIES" ${ARGN})
  add_library(${target} SHARED ${ARG_SOURCES})
  kolvane_warnings(${target})
  target_link_libraries(${target} PRIVATE kolvane_vst2 ${ARG_LIBRARIES})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${ARG_OUTPUT_NAME})
  if(WIN32)
    target_sources(${target} PRIVATE ${KOLVANE_VST2_EXPORTS_DEF})
  else()
    kolvane_linux_module(${target})
  endif()
endfunction()

# kolvane_add_lv2_plugin(target OUTPUT_NAME name BUNDLE dir SOURCES ...
# LIBRARIES ...): the shared object of an LV2 bundle (Linux only), written
# into the bundle's folder; its sources define lv2_descriptor with
# KOLVANE_LV2_ENTRY_POINTS.
function(kolvane_add_lv2_plugin target)
  cmake_parse_arguments(ARG "" "OUTPUT_NAME;BUNDLE" "SOURCES;LIBRARIES" ${ARGN})
  add_library(${target} SHARED ${ARG_SOURCES})
  kolvane_warnings(${target})
  target_link_libraries(${target} PRIVATE kolvane_lv2 ${ARG_LIBRARIES})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${ARG_OUTPUT_NAME}
                        LIBRARY_OUTPUT_DIRECTORY ${ARG_BUNDLE})
  kolvane_linux_module(${target})
endfunction()
