# The platform layer: the one interface to the desktop, its Qt implementation, the help window and
# the base of the modal dialogs.
target_sources(tallo_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppIcons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HelpWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NativePath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Platform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrinterSetupDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtPlatform.cpp
)

# Icons and help pages are compiled into the program, so it runs from any folder.
set(tallo_icon_names
  new open save upload print exit undo redo cut copy paste test link font paragraph bold italic underline
  strike header subscript superscript break image list table form input formlist textarea label frameset
  frame sound comment tallo)
list(TRANSFORM tallo_icon_names PREPEND "${CMAKE_SOURCE_DIR}/resources/icons/" OUTPUT_VARIABLE tallo_icon_files)
list(TRANSFORM tallo_icon_files APPEND ".svg")
qt_add_resources(tallo_gui tallo_icons PREFIX "/icons" BASE "${CMAKE_SOURCE_DIR}/resources/icons"
  FILES ${tallo_icon_files})
set(tallo_help_files "${CMAKE_SOURCE_DIR}/help/index.html")
foreach(context RANGE 2 41)
  string(LENGTH "${context}" digits)
  if(digits EQUAL 1)
    set(context "0${context}")
  endif()
  list(APPEND tallo_help_files "${CMAKE_SOURCE_DIR}/help/topic${context}.html")
endforeach()
qt_add_resources(tallo_gui tallo_help PREFIX "/help" BASE "${CMAKE_SOURCE_DIR}/help" FILES ${tallo_help_files})
# The SVG icons are drawn by Qt's SVG icon engine plugin (Debian libqt6svg6), loaded at run time.

# Installed beside the program as well, for reading outside it (cmake/Install.cmake).
set_property(GLOBAL PROPERTY tallo_help_files ${tallo_help_files})

# The base of the program's own modal dialogs.
target_sources(tallo_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ButtonClosedDialog.cpp
)
