# At home on the desktop: command-line files, one editor per user, dropped files, recovery copies
# and files changed behind the editor's back.
target_sources(tallo_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileStamp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InstanceProtocol.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecoveryFolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecoveryWriter.cpp
)
target_sources(tallo_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CommandLineFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DesktopSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileChangeWatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileDrops.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecoveryCopies.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SingleInstance.cpp
)
