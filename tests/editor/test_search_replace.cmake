# Search and replace on the editor model.
tallo_add_test(test_search_replace
  ${CMAKE_CURRENT_LIST_DIR}/EditorTestText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SearchReplaceTest.cpp
)
