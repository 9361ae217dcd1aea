# Mark-up builders, the rules by which commands write them into a page, and the page skeleton (core).
target_sources(tallo_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ColorToHtmlHex.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FormMarkup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameMarkup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InsertionRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinkMarkup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListMarkup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MarkupPieces.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageSkeleton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableMarkup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextMarkup.cpp
)
