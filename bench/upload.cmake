# The Upload window's code path timed beside tallo-ftp-put: upload_window_bench.sh runs both.
add_executable(tallo-upload-window ${CMAKE_CURRENT_LIST_DIR}/UploadWindowBench.cpp)
target_link_libraries(tallo-upload-window PRIVATE tallo_gui)
target_compile_options(tallo-upload-window PRIVATE -Wall -Wextra)
