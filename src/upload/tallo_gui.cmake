# The New FTP Connection and Upload windows and their progress strip.
target_sources(tallo_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/ConnectU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/FTPU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/ProtocolTransfer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/TransferPanel.cpp
)
