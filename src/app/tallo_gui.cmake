# Application shell: main window, document window, file commands, New page dialog, About box.
target_sources(tallo_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AboutU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ApplicationWindows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainMenus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NewU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NoDocumentMessage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrintCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SearchCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatusPanels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MarkupCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UHTML.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UploadCommands.cpp
)
# Replace dialog and the find and replace commands on document windows.
target_sources(tallo_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DocumentSearch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReplaceU.cpp
)

# At home on the desktop (Qt side): command-line files, one editor per user, dropped files,
# recovery copies, interrupted saves and files changed behind the editor's back.
target_sources(tallo_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/InterruptedSaveOffer.cpp
)

# The Find dialog, beside Replace.
target_sources(tallo_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FindDialog.cpp
)
