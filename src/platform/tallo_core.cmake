# The file filter conversion is plain string work, testable without a display.
target_sources(tallo_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FileFilter.cpp
)
