# Command-line files, one editor per user, dropped files, recovery copies, interrupted saves, files
# changed on disk.
add_test(NAME desktop_file_valid COMMAND desktop-file-validate ${CMAKE_SOURCE_DIR}/resources/io.github.tallo.Editor.desktop)
tallo_add_test(test_desktop_session DesktopSessionTest.cpp GUI)
add_executable(tallo_recovery_helper RecoveryKillHelper.cpp)
target_link_libraries(tallo_recovery_helper PRIVATE tallo_test_support)
tallo_add_test(test_recovery_after_kill RecoveryAfterKillTest.cpp GUI)
target_compile_definitions(test_recovery_after_kill PRIVATE
  TALLO_RECOVERY_HELPER="$<TARGET_FILE:tallo_recovery_helper>")
add_dependencies(test_recovery_after_kill tallo_recovery_helper)
add_executable(tallo_overwrite_helper OverwriteKillHelper.cpp)
target_link_libraries(tallo_overwrite_helper PRIVATE tallo_core)
target_compile_definitions(test_recovery_after_kill PRIVATE
  TALLO_OVERWRITE_HELPER="$<TARGET_FILE:tallo_overwrite_helper>")
add_dependencies(test_recovery_after_kill tallo_overwrite_helper)
# The installed metadata, and the answers a packager and a user check first.
add_test(NAME metainfo_valid
  COMMAND appstreamcli validate --no-net ${CMAKE_BINARY_DIR}/io.github.tallo.Editor.metainfo.xml)
add_test(NAME tallo_help_and_version
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:tallo> -DVERSION=${PROJECT_VERSION}
          -DWORK=${CMAKE_CURRENT_BINARY_DIR} -P ${CMAKE_CURRENT_LIST_DIR}/ProgramInformation.cmake)
