# Small pieces every core part shares.
target_sources(tallo_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FileWrites.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InPlaceWrite.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InterruptedSaves.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NewFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProcessUmask.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UserFolders.cpp
)
