# The debug-text sender, compiled into each logging deliverable by linking
# this static library (basekit compiles the same file into itself).
add_library(td_debugtext STATIC ${CMAKE_CURRENT_LIST_DIR}/debugtext.cpp)
target_include_directories(td_debugtext PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_compile_definitions(td_debugtext PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_compile_options(td_debugtext PRIVATE ${TD_WARNINGS})
target_link_libraries(td_debugtext PUBLIC user32)
