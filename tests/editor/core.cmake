# tests of the core part
tallo_add_test(test_editor_core
  ${CMAKE_CURRENT_LIST_DIR}/EditorTestText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_editor_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_editor_operations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_editor_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_file_io.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_highlight_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_key_strokes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_text_buffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextLimitsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineColumnsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LongLineStatesTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OwnedLineTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_undo.cpp
)
