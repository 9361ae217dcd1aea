# Tests of the search engine and the editor's search and replace.
tallo_add_test(test_edit_search
  ${CMAKE_CURRENT_LIST_DIR}/test_byte_finder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_edit_search.cpp
)
tallo_add_test(test_search_replace
  ${CMAKE_CURRENT_LIST_DIR}/EditorTestText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_search_replace.cpp
)
