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

# td_tests(area SOURCES ... [LINK ...] [RESOURCES ...] [TIMEOUT seconds] [NO_RUN]
#          [LOCKS sound settings ...] [SERIAL])
# builds <area>_tests.exe linked with GoogleTest and the shared fixtures, and
# runs it as one ctest test under Wine (one Wine start per area).
# All test executables of a build tree share one Wine prefix (one registry)
# and one null sink: LOCKS names what a test uses so that ctest never runs
# two users of the same thing at once ("sound" for anything that plays or
# records, "settings" for the player's own registry key). SERIAL runs the
# executable alone: the log viewer's tests, whose window would otherwise
# receive the debug texts of every other test running at the time.
function(td_tests area)
  cmake_parse_arguments(A "NO_RUN;SERIAL" "TIMEOUT" "SOURCES;LINK;RESOURCES;INCLUDE;DEFINES;LOCKS" ${ARGN})
  set(t ${area}_tests)
  add_executable(${t} ${A_SOURCES} ${A_RESOURCES})
  target_link_libraries(${t} PRIVATE td_testsupport ${A_LINK})
  target_compile_options(${t} PRIVATE $<$<COMPILE_LANGUAGE:C,CXX>:${TD_WARNINGS}>)
  target_compile_definitions(${t} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 ${A_DEFINES})
  if(A_INCLUDE)
    target_include_directories(${t} PRIVATE ${A_INCLUDE})
  endif()
  target_link_options(${t} PRIVATE -static)
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 600)
  endif()
  if(TD_RUN_TESTS AND NOT A_NO_RUN)
    add_test(NAME ${area} COMMAND ${t} --gtest_color=no)
    set_tests_properties(${area} PROPERTIES TIMEOUT ${A_TIMEOUT}
                         WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
    if(A_LOCKS)
      set_tests_properties(${area} PROPERTIES RESOURCE_LOCK "${A_LOCKS}")
    endif()
    if(A_SERIAL)
      set_tests_properties(${area} PROPERTIES RUN_SERIAL TRUE)
    endif()
  endif()
endfunction()
