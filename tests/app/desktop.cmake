# Command-line files, one editor per user, dropped files, recovery copies, files changed on disk.
tallo_add_test(test_desktop_core RecoveryFolderTest.cpp InstanceProtocolTest.cpp)
add_test(NAME desktop_file_valid COMMAND desktop-file-validate ${CMAKE_SOURCE_DIR}/resources/tallo.desktop)
tallo_add_test(test_desktop_session DesktopSessionTest.cpp GUI)
