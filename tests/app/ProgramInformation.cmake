# cmake -DPROGRAM=... -DVERSION=... -DWORK=... -P ProgramInformation.cmake
# --help and --version answer without a display and without touching a running editor's socket;
# an unknown option is a usage error. Each row: arguments | exit code | what standard output holds.
set(cases
  "--version|0|^tallo ${VERSION}\n$"
  "--help|0|Exit codes:"
  "-h|0|Usage: tallo"
  "--new-window|--version|0|^tallo ${VERSION}\n$")
set(runtime "${WORK}/program-information-runtime")
file(REMOVE_RECURSE "${runtime}")
file(MAKE_DIRECTORY "${runtime}")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(POP_BACK fields expected)
  list(POP_BACK fields code)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
            XDG_RUNTIME_DIR=${runtime} ${PROGRAM} ${fields}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT result STREQUAL code OR NOT output MATCHES "${expected}")
    message(FATAL_ERROR "${fields}: exit ${result} (want ${code}), output:\n${output}${errors}")
  endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E env XDG_RUNTIME_DIR=${runtime} QT_QPA_PLATFORM=offscreen
                        ${PROGRAM} --bogus RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 2 OR NOT errors MATCHES "unknown option --bogus")
  message(FATAL_ERROR "--bogus: exit ${result} (want 2), errors:\n${errors}")
endif()
file(GLOB left "${runtime}/*")
if(left)
  message(FATAL_ERROR "the runtime folder was touched: ${left}")
endif()
