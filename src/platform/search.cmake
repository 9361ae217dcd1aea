# The Find dialog.
target_sources(tallo_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FindDialog.cpp
)
