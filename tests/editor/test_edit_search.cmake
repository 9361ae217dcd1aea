# Tests of the search engine and the editor's search and replace.
tallo_add_test(test_edit_search
  ${CMAKE_CURRENT_LIST_DIR}/ByteFinderTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditSearchTest.cpp
)

# The real tools given a pipe, an endless device or a directory instead of a page: a clear error.
if(TALLO_BUILD_BENCH)
  foreach(tool tallo-search tallo-tokens)
    set(args "")
    if(tool STREQUAL "tallo-search")
      set(args pattern)
    endif()
    add_test(NAME ${tool}_refuses_files_that_are_not_pages
      COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:${tool}> "-DARGS=${args}" -DWORK=${CMAKE_CURRENT_BINARY_DIR}
              -P ${CMAKE_CURRENT_LIST_DIR}/ToolsRefuseNonPages.cmake)
  endforeach()
endif()
