# What `cmake --install` and the Debian package put on the system: the programs, their manual
# pages, the help pages, the desktop entry, its icons and the AppStream metadata. Included once
# every folder is added, so a program is installed (with its manual page) where its target exists.

file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man ${CMAKE_BINARY_DIR}/packaging)
set(tallo_programs tallo)
foreach(program tallo-ftp-put tallo-site)
  if(TARGET ${program})
    list(APPEND tallo_programs ${program})
  endif()
endforeach()
install(TARGETS ${tallo_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Everything installed that the build makes; scripts/package.sh builds this and no test or benchmark.
add_custom_target(tallo_installed)
add_dependencies(tallo_installed ${tallo_programs})

# tallo_gzip(SOURCE OUTPUT): OUTPUT is SOURCE compressed without a time stamp, so packages repeat.
function(tallo_gzip source output)
  add_custom_command(OUTPUT ${output} DEPENDS ${source}
    COMMAND sh -c "gzip -9n < \"$1\" > \"$2\"" sh ${source} ${output} VERBATIM)
endfunction()

set(tallo_manuals "")
foreach(program IN LISTS tallo_programs)
  set(manual ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
  tallo_gzip(${CMAKE_SOURCE_DIR}/man/${program}.1 ${manual})
  list(APPEND tallo_manuals ${manual})
endforeach()
add_custom_target(tallo_manuals ALL DEPENDS ${tallo_manuals})
add_dependencies(tallo_installed tallo_manuals)
install(FILES ${tallo_manuals} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

get_property(tallo_help_files GLOBAL PROPERTY tallo_help_files)
install(FILES ${tallo_help_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/tallo/help)
install(FILES ${CMAKE_SOURCE_DIR}/resources/io.github.tallo.Editor.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
if(TARGET tallo_site_window)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/io.github.tallo.Site.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/help/site.html DESTINATION ${CMAKE_INSTALL_DATADIR}/tallo/help)
endif()

# The metainfo lists the programs this build installs.
set(tallo_provided_binaries "")
foreach(program IN LISTS tallo_programs)
  string(APPEND tallo_provided_binaries "    <binary>${program}</binary>\n")
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/resources/io.github.tallo.Editor.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/io.github.tallo.Editor.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/io.github.tallo.Editor.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon: the drawing itself, and pictures at the sizes desktops ask for, made from it.
set(tallo_icon ${CMAKE_SOURCE_DIR}/resources/icons/tallo.svg)
install(FILES ${tallo_icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(TALLO_RSVG_CONVERT rsvg-convert REQUIRED)
set(tallo_icon_pictures "")
foreach(size 16 22 24 32 48 64 128 256)
  set(picture ${CMAKE_BINARY_DIR}/icons/${size}x${size}/tallo.png)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/icons/${size}x${size})
  add_custom_command(OUTPUT ${picture} DEPENDS ${tallo_icon}
    COMMAND ${TALLO_RSVG_CONVERT} --width=${size} --height=${size} --output=${picture} ${tallo_icon} VERBATIM)
  list(APPEND tallo_icon_pictures ${picture})
  install(FILES ${picture} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(tallo_icon_pictures ALL DEPENDS ${tallo_icon_pictures})
add_dependencies(tallo_installed tallo_icon_pictures)

# The package's own papers: who may use it, and what changed.
set(tallo_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tallo)
tallo_gzip(${CMAKE_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_target(tallo_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_dependencies(tallo_installed tallo_changelog)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DESTINATION ${tallo_doc_dir})
