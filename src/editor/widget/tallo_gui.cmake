# The editor widget: everything in src/editor that draws or talks to Qt.
target_sources(tallo_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CodeMemo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CodeMemo.h
  ${CMAKE_CURRENT_LIST_DIR}/CodeMemoInput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditorAppearance.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GutterWidget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinePainter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PaintedRows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrinterCanvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtKeyMapping.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SteadyScrollBar.cpp
)
