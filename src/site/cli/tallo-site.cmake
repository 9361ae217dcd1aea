# tallo-site: the site publishing command line.
add_executable(tallo-site
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SiteCommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SiteCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PublishCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TerminalOutput.cpp
)
target_link_libraries(tallo-site PRIVATE tallo_site_core)
target_compile_options(tallo-site PRIVATE -Wall -Wextra)
target_compile_definitions(tallo-site PRIVATE TALLO_VERSION="${PROJECT_VERSION}")
