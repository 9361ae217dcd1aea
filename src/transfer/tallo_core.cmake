# The transfer service: one session over FTP, FTPS or SFTP and the remote operations (core).
target_sources(tallo_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FtpListing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FtpRemoteSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeptSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalDownload.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RemotePaths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RemoteSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SftpRemoteSession.cpp
)
