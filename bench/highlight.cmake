# highlight benchmarks and tools
add_executable(tallo-tokens TalloTokens.cpp)
target_link_libraries(tallo-tokens PRIVATE tallo_core)

add_executable(tallo-bench-highlight HighlightThroughput.cpp HtmlPageGenerator.cpp)
target_link_libraries(tallo-bench-highlight PRIVATE tallo_core)
