# The site window (Qt): opened by tallo-site without a command, with its desktop entry and help page.
add_library(tallo_site_window STATIC
  ${CMAKE_CURRENT_LIST_DIR}/EditorLink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileTreeModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileChoice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PublishBridge.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PublishQueue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RemoteFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SiteJobs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SitePublishing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SiteSetupDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SiteTrees.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SiteWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SiteWindowApp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowSnapshot.cpp
)
set_target_properties(tallo_site_window PROPERTIES AUTOMOC ON AUTORCC ON)
target_link_libraries(tallo_site_window PUBLIC tallo_site_core tallo_gui)
target_compile_options(tallo_site_window PRIVATE -Wall -Wextra)
qt_add_resources(tallo_site_window tallo_site_help PREFIX "/help" BASE "${CMAKE_SOURCE_DIR}/help"
  FILES "${CMAKE_SOURCE_DIR}/help/site.html")

# The command line opens the window when it is given no command.
target_link_libraries(tallo-site PRIVATE tallo_site_window)
target_compile_definitions(tallo-site PRIVATE TALLO_SITE_WINDOW)

