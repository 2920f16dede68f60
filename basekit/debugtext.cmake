# The debug-text sender, compiled into each logging deliverable by linking
# this static library (basekit compiles the same file into itself).
add_library(td_debugtext STATIC ${CMAKE_CURRENT_LIST_DIR}/debugtext.cpp)
target_include_directories(td_debugtext PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_compile_definitions(td_debugtext PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_compile_options(td_debugtext PRIVATE ${TD_WARNINGS})
target_link_libraries(td_debugtext PUBLIC user32)

# The basekit tests send debug texts themselves (basekit keeps its own copy
# of the sender private); their target exists only once basekit's build file
# has run to its end.
function(td_link_debugtext_into_basekit_tests)
  if(TARGET basekit_tests)
    target_link_libraries(basekit_tests PRIVATE td_debugtext)
  endif()
endfunction()
cmake_language(DEFER CALL td_link_debugtext_into_basekit_tests)
