# Colour swatch and chooser shared by every dialog with "Select" buttons.
target_sources(tallo_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ColorChooser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ColorSwatch.cpp
)
include(${CMAKE_CURRENT_LIST_DIR}/dialogs/tallo_gui.cmake)
