# Build speed: a fresh clone builds and tests in minutes on two cores, and a one-file edit
# relinks in seconds. Nothing here changes what is built, only how fast.
#  - ccache when installed (shared between work trees);
#  - mold, else lld, as the linker: GNU ld spends seconds on each Qt test program;
#  - precompiled standard, Qt and GoogleTest headers, built once per kind and reused by the
#    programs with the same flags;
#  - unity builds (TALLO_UNITY_BUILD) that compile a folder's files in batches.

option(TALLO_UNITY_BUILD "Compile sources in batches (faster full builds, slower one-file rebuilds)" OFF)
option(TALLO_PRECOMPILE_HEADERS "Precompile the standard, Qt and GoogleTest headers" ON)
set(TALLO_UNITY_BATCH_SIZE 8 CACHE STRING "Sources per unity batch")

if(NOT CMAKE_CXX_COMPILER_LAUNCHER)
  find_program(TALLO_CCACHE ccache)
  if(TALLO_CCACHE)
    set(CMAKE_CXX_COMPILER_LAUNCHER ${TALLO_CCACHE})
  endif()
endif()
if(TALLO_PRECOMPILE_HEADERS AND CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
  # Without these ccache refuses every unit that uses a precompiled header.
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env
      "CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime"
      ${CMAKE_CXX_COMPILER_LAUNCHER})
endif()

include(CheckLinkerFlag)
foreach(linker mold lld)
  check_linker_flag(CXX "-fuse-ld=${linker}" TALLO_LINKER_${linker})
  if(TALLO_LINKER_${linker})
    add_link_options("-fuse-ld=${linker}")
    break()
  endif()
endforeach()

set(CMAKE_UNITY_BUILD ${TALLO_UNITY_BUILD})
set(CMAKE_UNITY_BUILD_BATCH_SIZE ${TALLO_UNITY_BATCH_SIZE})

set(tallo_standard_headers
  <algorithm> <array> <chrono> <cstddef> <cstdint> <cstring> <functional> <map> <memory> <optional>
  <stdexcept> <string> <string_view> <utility> <vector>)
set(tallo_qt_headers
  <QAction> <QApplication> <QBoxLayout> <QCheckBox> <QColor> <QComboBox> <QDialog> <QFont>
  <QGridLayout> <QLabel> <QLineEdit> <QMdiArea> <QMdiSubWindow> <QMenu> <QPainter> <QPlainTextEdit>
  <QPrinter> <QPushButton> <QRadioButton> <QString> <QStringList> <QTimer> <QWidget>)
set(tallo_test_headers <gtest/gtest.h>)

# tallo_precompile(target HEADERS...): precompiles the headers for target. A unit with flags of
# its own (an instruction set) would not match the header, so it parses its headers itself.
function(tallo_precompile target)
  if(NOT TALLO_PRECOMPILE_HEADERS)
    return()
  endif()
  target_precompile_headers(${target} PRIVATE ${ARGN})
  tallo_skip_precompiled_for_own_flags(${target})
endfunction()

# tallo_reuse_precompiled(target FROM): target uses FROM's precompiled headers (same flags, so the
# header is built once for every program of its kind).
function(tallo_reuse_precompiled target from)
  if(TALLO_PRECOMPILE_HEADERS)
    target_precompile_headers(${target} REUSE_FROM ${from})
    tallo_skip_precompiled_for_own_flags(${target})
  endif()
endfunction()

function(tallo_skip_precompiled_for_own_flags target)
  get_target_property(sources ${target} SOURCES)
  foreach(source IN LISTS sources)
    get_source_file_property(options ${source} TARGET_DIRECTORY ${target} COMPILE_OPTIONS)
    if(options)
      set_source_files_properties(${source} TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
    endif()
  endforeach()
endfunction()

# tallo_compile_alone(target NAME...): the units named (by file name, wherever their folder) stay out
# of the unity batches, where a private name of theirs would meet the same name of a neighbour.
function(tallo_compile_alone target)
  get_target_property(sources ${target} SOURCES)
  foreach(source IN LISTS sources)
    get_filename_component(name ${source} NAME)
    if(name IN_LIST ARGN)
      set_source_files_properties(${source} TARGET_DIRECTORY ${target} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    endif()
  endforeach()
endfunction()

# Every program without headers of its own reuses those of the library it is built on: the
# test support (Qt and GoogleTest, held by tallo_test_gui_headers), the widgets (Qt) or the core.
function(tallo_share_precompiled_headers)
  set(folders ${CMAKE_SOURCE_DIR})
  while(folders)
    list(POP_FRONT folders folder)
    get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    list(APPEND folders ${subfolders})
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      get_target_property(type ${target} TYPE)
      get_target_property(own ${target} PRECOMPILE_HEADERS)
      get_target_property(reused ${target} PRECOMPILE_HEADERS_REUSE_FROM)
      if(NOT type STREQUAL "EXECUTABLE" OR own OR reused)
        continue()
      endif()
      get_target_property(libraries ${target} LINK_LIBRARIES)
      foreach(base tallo_test_support=tallo_test_gui_headers tallo_gui=tallo_gui tallo_core=tallo_core)
        string(REPLACE "=" ";" pair ${base})
        list(GET pair 0 library)
        list(GET pair 1 holder)
        if(library IN_LIST libraries AND TARGET ${holder})
          tallo_reuse_precompiled(${target} ${holder})
          break()
        endif()
      endforeach()
    endforeach()
  endwhile()
endfunction()
