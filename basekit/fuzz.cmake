# basekit's parsers (gzip over memory, playlists, status pages) fuzzed
# natively for a bounded time as part of the test run.
if(TD_RUN_TESTS)
  add_test(NAME basekit_fuzz COMMAND ${CMAKE_CURRENT_LIST_DIR}/fuzz/run.sh 20)
  set_tests_properties(basekit_fuzz PROPERTIES TIMEOUT 600 COST 100)
endif()
