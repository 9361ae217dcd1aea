# net benchmarks and tools: tallo-ftp-put uploads one file as the upload dialog does; the side-by-side
# upload benchmark against curl is ftp_upload_bench.sh.
add_executable(tallo-ftp-put TalloFtpPut.cpp)
target_link_libraries(tallo-ftp-put PRIVATE tallo_core)
target_compile_options(tallo-ftp-put PRIVATE -Wall -Wextra)
