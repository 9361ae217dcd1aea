# The mark-up dialogs, one module each, and the parts they share.
target_sources(tallo_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CommentU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialogParts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FontU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HeaderU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinkU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ParagraphU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SoundU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextU.cpp
)

# Tables, form controls and frames.
target_sources(tallo_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FormListU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FormU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FramesetU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GridCells.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InputU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LabelU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpinEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextareaU.cpp
)

# Colour swatch and chooser shared by every dialog with "Select" buttons.
target_sources(tallo_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ColorChooser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ColorSwatch.cpp
)
