# The program's entry.
add_executable(tallo ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(tallo PRIVATE tallo_gui)
