# What the editor keeps and exchanges on the desktop (core): the command line, the single-instance
# protocol, recovery copies and their folder, file stamps that tell a file changed on disk.
target_sources(tallo_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileStamp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InstanceProtocol.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecoveryFolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecoveryWriter.cpp
)
