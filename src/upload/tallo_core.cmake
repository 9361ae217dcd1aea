# Connection profiles: the connect.set format and file (core).
target_sources(tallo_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ConnectionProfiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileFile.cpp
)
