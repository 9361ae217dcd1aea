# The text model, undo, key commands, settings and file rules.
tallo_add_test(test_editor_core
  ${CMAKE_CURRENT_LIST_DIR}/EditorTestText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SafeSaveTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditTransactionTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditorCommandsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditorOperationsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditorSettingsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileIOTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HighlightStoreTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeyStrokesTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineColumnsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LongLineStatesTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OwnedLineTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextBufferTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextLimitsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UndoTest.cpp
)

# the print layout
tallo_add_test(test_edit_print ${CMAKE_CURRENT_LIST_DIR}/EditPrintTest.cpp)
