# tallo-ftp-put: the transfer service on the command line, for scripts; installed with the program.
add_executable(tallo-ftp-put ${CMAKE_CURRENT_LIST_DIR}/TalloFtpPut.cpp)
target_link_libraries(tallo-ftp-put PRIVATE tallo_core)
target_compile_options(tallo-ftp-put PRIVATE -Wall -Wextra)
target_compile_definitions(tallo-ftp-put PRIVATE TALLO_VERSION="${PROJECT_VERSION}")
# Where the benchmark scripts and the tests find it.
set_target_properties(tallo-ftp-put PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
