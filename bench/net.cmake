# net benchmarks and tools: tallo-ftp-put uploads one file as the upload dialog does (FTP, FTPS or SFTP by
# the scheme in HOST); the side-by-side upload benchmarks are ftp_upload_bench.sh (against curl) and
# secure_upload_bench.sh (FTPS against curl --ssl-reqd, SFTP against OpenSSH's sftp).
add_executable(tallo-ftp-put TalloFtpPut.cpp)
target_link_libraries(tallo-ftp-put PRIVATE tallo_core)
target_compile_options(tallo-ftp-put PRIVATE -Wall -Wextra)
