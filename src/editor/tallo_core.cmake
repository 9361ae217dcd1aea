# The core part of src/editor: text model, undo, key commands and settings.
target_sources(tallo_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BackgroundStateScan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CharacterClass.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CharIndexCache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DocumentPrintLines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditorCommandRunner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditorCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditorModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditPrint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditPrintMargins.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileIO.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HighlightStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeyStrokes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineColumns.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LongLineStates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OwnedLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrintLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrintLines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextBuffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextDocument.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextEncoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextSnapshot.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UndoList.cpp
)

# The search engine and the editor's search and replace.
target_sources(tallo_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ByteFinder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditSearch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SearchCharacters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SearchReplace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnicodeCharacters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnicodeTables.cpp
)
# The vector scans: one unit per instruction set, the AVX2 one chosen at run time.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  target_sources(tallo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ByteFinderSse2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ByteFinderAvx2.cpp
  )
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/ByteFinderAvx2.cpp TARGET_DIRECTORY tallo_core
                              PROPERTIES COMPILE_OPTIONS "-mavx2")
endif()
