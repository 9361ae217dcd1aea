# A site: settings, patterns, the record of the last publish, status, link check, the publish queue and
# the check after publishing (core, no Qt).
target_sources(tallo_site_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ExcludePatterns.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileHash.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HttpCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinkCacheFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinkCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageReferences.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PublishPlan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PublishRecord.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RemoteEdits.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RemoteTree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Site.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SitePublisher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SiteScan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SiteSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SiteSnapshot.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SiteStatus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextFiles.cpp
)
# The check after publishing asks the site's address over HTTP through libcurl.
find_package(CURL REQUIRED)
target_link_libraries(tallo_site_core PUBLIC CURL::libcurl)
