# Tests of the search engine and the editor's search and replace.
tallo_add_test(test_edit_search
  ${CMAKE_CURRENT_LIST_DIR}/ByteFinderTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditSearchTest.cpp
)

# The real tallo-search given a directory instead of a page: a clear error, not a crash.
if(TALLO_BUILD_BENCH)
  add_test(NAME tallo_search_refuses_a_directory COMMAND tallo-search ${CMAKE_CURRENT_LIST_DIR} pattern)
  set_tests_properties(tallo_search_refuses_a_directory PROPERTIES
    PASS_REGULAR_EXPRESSION "^tallo-search: cannot read ")
endif()
