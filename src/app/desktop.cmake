# At home on the desktop: command-line files, one editor per user, dropped files, recovery copies
# and files changed behind the editor's back.
target_sources(tallo_core PRIVATE
  CommandLine.cpp
  FileStamp.cpp
  InstanceProtocol.cpp
  RecoveryFolder.cpp
  RecoveryWriter.cpp
)
target_sources(tallo_gui PRIVATE
  CommandLineFiles.cpp
  DesktopSession.cpp
  FileChangeWatch.cpp
  FileDrops.cpp
  RecoveryCopies.cpp
  SingleInstance.cpp
)
