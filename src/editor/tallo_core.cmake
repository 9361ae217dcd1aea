# The core part of src/editor: text model, undo, key commands and settings.
target_sources(tallo_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/text/BackgroundStateScan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text/CharacterClass.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text/CharIndexCache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/print/DocumentPrintLines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/control/EditorCommandRunner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/control/EditorCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/control/EditorModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/print/EditPrint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/print/EditPrintMargins.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text/FileIO.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text/HugePages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text/HighlightStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/control/KeyStrokes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text/LineColumns.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text/LongLineStates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text/OwnedLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/print/PrintLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/print/PrintLines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text/TextBuffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text/TextDocument.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text/TextEncoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text/TextSnapshot.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text/UndoList.cpp
)

# The search engine and the editor's search and replace.
target_sources(tallo_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/search/ByteFinder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search/EditSearch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search/SearchCharacters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search/SearchReplace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search/UnicodeCharacters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search/UnicodeTables.cpp
)
# The vector scans: one unit per instruction set, the AVX2 one chosen at run time.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  target_sources(tallo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/search/ByteFinderSse2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/search/ByteFinderAvx2.cpp
  )
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/search/ByteFinderAvx2.cpp TARGET_DIRECTORY tallo_core
                              PROPERTIES COMPILE_OPTIONS "-mavx2")
endif()
