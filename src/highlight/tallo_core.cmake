# The HTML highlighter (core).
set(tallo_highlight_sources
  ${CMAKE_CURRENT_SOURCE_DIR}/CustomHighlighter.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/HtmlCharRefs.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/HtmlHighlighter.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/HtmlTagNames.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/HtmlTokenDump.cpp
)
target_sources(tallo_core PRIVATE ${tallo_highlight_sources})
# The fuzz targets compile these sources themselves, with the fuzzer's instrumentation.
set_property(GLOBAL PROPERTY tallo_highlight_sources ${tallo_highlight_sources})
