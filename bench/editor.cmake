# editor benchmarks and tools
add_executable(bench_editor_core ${CMAKE_CURRENT_LIST_DIR}/EditorCoreBench.cpp ${CMAKE_CURRENT_LIST_DIR}/HtmlPageGenerator.cpp)
target_link_libraries(bench_editor_core PRIVATE tallo_core)
target_include_directories(bench_editor_core PRIVATE ${CMAKE_CURRENT_LIST_DIR})

# The editor widget opening a large page: first screen, memory, keystrokes with repaint.
add_executable(bench_editor_open ${CMAKE_CURRENT_LIST_DIR}/EditorOpenBench.cpp ${CMAKE_CURRENT_LIST_DIR}/HtmlPageGenerator.cpp)
target_link_libraries(bench_editor_open PRIVATE tallo_gui)
target_include_directories(bench_editor_open PRIVATE ${CMAKE_CURRENT_LIST_DIR})
