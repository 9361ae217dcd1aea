# The print engine: page count of a large page, and PDF output beside QTextDocument::print.
add_executable(bench_print ${CMAKE_CURRENT_LIST_DIR}/PrintBench.cpp ${CMAKE_CURRENT_LIST_DIR}/HtmlPageGenerator.cpp)
target_link_libraries(bench_print PRIVATE tallo_gui)
target_include_directories(bench_print PRIVATE ${CMAKE_CURRENT_LIST_DIR})
