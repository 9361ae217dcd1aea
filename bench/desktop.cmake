# Recovery copies of a large page written while typing.
add_executable(bench_recovery_copy ${CMAKE_CURRENT_LIST_DIR}/RecoveryCopyBench.cpp ${CMAKE_CURRENT_LIST_DIR}/HtmlPageGenerator.cpp)
target_link_libraries(bench_recovery_copy PRIVATE tallo_gui)
target_include_directories(bench_recovery_copy PRIVATE ${CMAKE_CURRENT_LIST_DIR})
