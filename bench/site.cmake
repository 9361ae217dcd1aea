# The site window on a large site, beside the command line (site_window_bench.sh).
add_executable(tallo-site-window-bench SiteWindowBench.cpp)
target_link_libraries(tallo-site-window-bench PRIVATE tallo_site_window)
