# One call declares a deliverable; one more declares its test executable.
#
#   td_deliverable(basekit KIND DLL DESCRIPTION "Common library"
#                  SOURCES a.cpp b.cpp RESOURCES strings.rc LINK wininet)
#   td_tests(basekit SOURCES tests/x_test.cpp LINK basekit)
#
# KIND is EXE (console), WINEXE (GUI subsystem), DLL, or STATIC (a library
# linked into programs and tests, no version block). Every EXE, WINEXE and
# DLL gets a VERSIONINFO block (GetFileVersionInfo reads it) unless
# NO_VERSION_BLOCK is given because the target brings its own.

# Exports are bound by name everywhere (GetProcAddress), so function-pointer
# casts are the normal case, not a smell.
# Test programs mostly wait for windows, sound and servers: they are
# compiled with fewer optimisations, which takes less than half the time of
# -O2. The code under test keeps the build's own flags.
set(TD_TEST_OPTIMIZE -O1)
set(TD_WARNINGS -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers -Wno-cast-function-type)
set(TD_VERSION_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/version.rc.in)

function(td_deliverable name)
  cmake_parse_arguments(A "NO_VERSION_BLOCK" "KIND;DESCRIPTION;VERSION;OUTPUT_NAME"
                        "SOURCES;RESOURCES;LINK;PUBLIC_LINK;INCLUDE;PUBLIC_INCLUDE;DEFINES;PUBLIC_DEFINES" ${ARGN})
  if(NOT A_KIND)
    message(FATAL_ERROR "td_deliverable(${name}): KIND missing")
  endif()
  if(NOT A_OUTPUT_NAME)
    set(A_OUTPUT_NAME ${name})
  endif()
  set(srcs ${A_SOURCES} ${A_RESOURCES})

  if(NOT A_KIND STREQUAL "STATIC" AND NOT A_NO_VERSION_BLOCK)
    if(NOT A_VERSION)
      set(A_VERSION ${PROJECT_VERSION})
    endif()
    string(REPLACE "." ";" parts "${A_VERSION}")
    list(LENGTH parts n)
    while(n LESS 4)
      list(APPEND parts 0)
      list(LENGTH parts n)
    endwhile()
    list(JOIN parts "," TD_VER_COMMAS)
    list(JOIN parts "." TD_VER_DOTS)
    set(TD_VER_NAME ${A_OUTPUT_NAME})
    set(TD_VER_DESCRIPTION "${A_DESCRIPTION}")
    if(A_KIND STREQUAL "DLL")
      set(TD_VER_FILENAME "${A_OUTPUT_NAME}.dll")
      set(TD_VER_FILETYPE "0x2L")
    else()
      set(TD_VER_FILENAME "${A_OUTPUT_NAME}.exe")
      set(TD_VER_FILETYPE "0x1L")
    endif()
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.rc)
    configure_file(${TD_VERSION_TEMPLATE} ${rc} @ONLY)
    list(APPEND srcs ${rc})
  endif()

  if(A_KIND STREQUAL "DLL")
    add_library(${name} SHARED ${srcs})
    set_target_properties(${name} PROPERTIES PREFIX "" IMPORT_PREFIX "lib")
  elseif(A_KIND STREQUAL "STATIC")
    add_library(${name} STATIC ${srcs})
  elseif(A_KIND STREQUAL "WINEXE")
    add_executable(${name} WIN32 ${srcs})
  elseif(A_KIND STREQUAL "EXE")
    add_executable(${name} ${srcs})
  else()
    message(FATAL_ERROR "td_deliverable(${name}): unknown KIND ${A_KIND}")
  endif()
  set_target_properties(${name} PROPERTIES OUTPUT_NAME ${A_OUTPUT_NAME})
  target_compile_options(${name} PRIVATE $<$<COMPILE_LANGUAGE:C,CXX>:${TD_WARNINGS}>)
  target_compile_definitions(${name} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 ${A_DEFINES}
                             PUBLIC ${A_PUBLIC_DEFINES})
  if(A_INCLUDE)
    target_include_directories(${name} PRIVATE ${A_INCLUDE})
  endif()
  if(A_PUBLIC_INCLUDE)
    target_include_directories(${name} PUBLIC ${A_PUBLIC_INCLUDE})
  endif()
  if(A_LINK)
    target_link_libraries(${name} PRIVATE ${A_LINK})
  endif()
  if(A_PUBLIC_LINK)
    target_link_libraries(${name} PUBLIC ${A_PUBLIC_LINK})
  endif()
  if(NOT A_KIND STREQUAL "STATIC")
    target_link_options(${name} PRIVATE -static)
  endif()
endfunction()

# td_tests(area SOURCES ... [LINK ...] [RESOURCES ...] [INCLUDE ...] [DEFINES ...]
#          [TIMEOUT seconds] [SHARDS n] [LOCKS name ...] [ALONE gtest-filter] [NO_RUN])
# builds <area>_tests.exe linked with GoogleTest and the shared fixtures and
# runs it under Wine through td_run_tests (NO_RUN: the caller does that).
function(td_tests area)
  cmake_parse_arguments(A "NO_RUN" "TIMEOUT;SHARDS;ALONE" "SOURCES;LINK;RESOURCES;INCLUDE;DEFINES;LOCKS" ${ARGN})
  set(t ${area}_tests)
  add_executable(${t} ${A_SOURCES} ${A_RESOURCES})
  target_link_libraries(${t} PRIVATE td_testsupport ${A_LINK})
  target_compile_options(${t} PRIVATE $<$<COMPILE_LANGUAGE:C,CXX>:${TD_WARNINGS} ${TD_TEST_OPTIMIZE}>)
  target_compile_definitions(${t} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 ${A_DEFINES})
  if(A_INCLUDE)
    target_include_directories(${t} PRIVATE ${A_INCLUDE})
  endif()
  target_link_options(${t} PRIVATE -static)
  # The shipping build (which does not run tests) compiles them only on request.
  if(NOT TD_RUN_TESTS)
    set_target_properties(${t} PROPERTIES EXCLUDE_FROM_ALL TRUE)
  endif()
  if(NOT A_NO_RUN)
    set(extra)
    if(A_TIMEOUT)
      list(APPEND extra TIMEOUT ${A_TIMEOUT})
    endif()
    if(A_SHARDS)
      list(APPEND extra SHARDS ${A_SHARDS})
    endif()
    if(A_LOCKS)
      list(APPEND extra LOCKS ${A_LOCKS})
    endif()
    if(A_ALONE)
      list(APPEND extra ALONE ${A_ALONE})
    endif()
    td_run_tests(${area} ${extra})
  endif()
endfunction()

# A fresh checkout has no timings for ctest to order by: the areas that
# take longest start first, so that no long test begins when the rest are
# done. Seconds per shard as measured on an 8-core machine.
set(TD_TEST_COST_journeys 300)
set(TD_TEST_COST_tunerdeck 200)
set(TD_TEST_COST_core 180)
set(TD_TEST_COST_facetkit_views 170)
set(TD_TEST_COST_facetkit_dialogs 170)
set(TD_TEST_COST_playcradle 160)
set(TD_TEST_COST_clockwarden 150)
set(TD_TEST_COST_recording 140)
set(TD_TEST_COST_basekit 140)
set(TD_TEST_COST_online 130)
set(TD_TEST_COST_facetkit 130)
set(TD_TEST_COST_logscope 120)

# td_run_tests(area [TIMEOUT seconds] [SHARDS n] [LOCKS name ...] [ALONE gtest-filter])
# runs <area>_tests.exe as ctest tests under Wine. Each test takes a Wine
# environment of its own from wine-run's pool (its own prefix and registry,
# wineserver, X display and null sink), so tests run side by side without
# sharing settings, windows, input or sound. SHARDS n splits the executable
# into n tests "<area>-1" ... "<area>-n" (GoogleTest's sharding) that ctest
# spreads over the cores. LOCKS is only for what the environments do not
# separate (files that tests write into the build tree). ALONE names the
# tests (a GoogleTest filter) that judge live sound: they run as the test
# "<area>-alone" while no other test runs, since Wine's sound output runs dry
# when the machine is busy and a capture of it then holds gaps.
function(td_run_tests area)
  cmake_parse_arguments(A "" "TIMEOUT;SHARDS;ALONE" "LOCKS" ${ARGN})
  if(NOT TD_RUN_TESTS)
    return()
  endif()
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 600)
  endif()
  if(NOT A_SHARDS)
    set(A_SHARDS 1)
  endif()
  math(EXPR last "${A_SHARDS} - 1")
  foreach(i RANGE ${last})
    set(env TD_ENV_POOLED=1)
    if(A_ALONE)
      list(APPEND env "GTEST_FILTER=-${A_ALONE}")
    endif()
    if(A_SHARDS GREATER 1)
      math(EXPR n "${i} + 1")
      set(name "${area}-${n}")
      list(APPEND env GTEST_TOTAL_SHARDS=${A_SHARDS} GTEST_SHARD_INDEX=${i})
    else()
      set(name ${area})
    endif()
    add_test(NAME ${name} COMMAND ${area}_tests --gtest_color=no)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT} ENVIRONMENT "${env}"
                         WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
    if(DEFINED TD_TEST_COST_${area})
      set_tests_properties(${name} PROPERTIES COST ${TD_TEST_COST_${area}})
    endif()
    if(A_LOCKS)
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${A_LOCKS}")
    endif()
  endforeach()
  if(A_ALONE)
    add_test(NAME ${area}-alone COMMAND ${area}_tests --gtest_color=no --gtest_filter=${A_ALONE})
    set_tests_properties(${area}-alone PROPERTIES TIMEOUT ${A_TIMEOUT} ENVIRONMENT TD_ENV_POOLED=1 RUN_SERIAL TRUE
                         WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  endif()
endfunction()
