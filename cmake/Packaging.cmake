# The Debian package (CPack's DEB generator), built by scripts/package.sh. Its run-time
# dependencies come from the installed programs through dpkg-shlibdeps; only the Qt plug-ins the
# programs load at run time, which no binary links, are named here.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for hand-written HTML pages with FTP upload")
set(CPACK_PACKAGE_DESCRIPTION
  "Tallo is a fast desktop editor for hand-written HTML pages. Each page opens\n\
in its own window with syntax colouring and line numbers; mark-up is inserted\n\
through small dialogs, and a page can be printed, tested in the web browser\n\
and uploaded to a web server over FTP, FTPS or SFTP through stored profiles.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Tallo developers <developers@tallo.example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tallo.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The SVG icon engine draws every icon; the platform plug-ins open the window.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-qpa-plugins")
# Pages are tested in the desktop's browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
