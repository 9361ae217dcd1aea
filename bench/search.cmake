# Search tool (tallo-search) and the Replace All timing; bench/search_vs_grep.sh runs both.
add_executable(tallo-search ${CMAKE_CURRENT_LIST_DIR}/TalloSearch.cpp)
target_link_libraries(tallo-search PRIVATE tallo_core)

add_executable(tallo-bench-replace-all ${CMAKE_CURRENT_LIST_DIR}/ReplaceAllTime.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/HtmlPageGenerator.cpp)
target_link_libraries(tallo-bench-replace-all PRIVATE tallo_core)
