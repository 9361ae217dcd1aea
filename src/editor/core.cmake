# sources of the core part of src/editor
target_sources(tallo_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CharIndexCache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CharacterClass.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditorCommandRunner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditorCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditorModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileIO.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HighlightStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeyStrokes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineColumns.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LongLineStates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OwnedLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextBuffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextEncoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UndoList.cpp
)
