# Command-line files, one editor per user, dropped files, recovery copies, interrupted saves, files
# changed on disk.
add_test(NAME desktop_file_valid COMMAND desktop-file-validate ${CMAKE_SOURCE_DIR}/resources/tallo.desktop)
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
