# The desktop pieces' Qt half: command-line files, one editor per user, drops, recovery, file changes.
target_sources(tallo_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CommandLineFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DesktopSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileChangeWatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileDrops.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecoveryCopies.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SingleInstance.cpp
)
