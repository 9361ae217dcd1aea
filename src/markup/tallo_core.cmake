# Mark-up builders and the page skeleton of a new page (core).
target_sources(tallo_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ColorToHtmlHex.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageSkeleton.cpp
)
