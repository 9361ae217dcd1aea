# Mark-up commands written into a large page in the editor widget, then undone.
add_executable(bench_markup_insert ${CMAKE_CURRENT_LIST_DIR}/MarkupInsertBench.cpp ${CMAKE_CURRENT_LIST_DIR}/HtmlPageGenerator.cpp)
target_link_libraries(bench_markup_insert PRIVATE tallo_gui)
target_include_directories(bench_markup_insert PRIVATE ${CMAKE_CURRENT_LIST_DIR})
