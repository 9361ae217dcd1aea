# Replace dialog and the find and replace commands on document windows.
target_sources(tallo_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DocumentSearch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReplaceU.cpp
)
