# Socket connection layer and FTP client: core, POSIX only.
target_sources(tallo_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FtpClient.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FtpReply.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FtpRetrieve.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FtpUpload.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HostLookup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessagePump.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReplyParsing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ServerAddress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SftpSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SftpWorker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SocketConnection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SocketErrors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SocketTransfer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ThreadTimer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TlsSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrustedServers.cpp
)

# SFTP goes through libssh (OpenSSL flavour, Debian's libssh-dev).
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBSSH REQUIRED IMPORTED_TARGET libssh)
target_link_libraries(tallo_core PUBLIC PkgConfig::LIBSSH)
# FTPS goes through OpenSSL (Debian's libssl-dev).
find_package(OpenSSL REQUIRED)
target_link_libraries(tallo_core PUBLIC OpenSSL::SSL OpenSSL::Crypto)
