# Runs a command-line tool (TOOL, its extra arguments in ARGS) on files that are not pages: each must
# end at once with "<name>: Cannot open file <path>" and status 1, not block on a pipe nobody writes
# to or read an endless device until memory runs out.
get_filename_component(name ${TOOL} NAME)
set(fifo ${WORK}/${name}.fifo)
file(REMOVE ${fifo})
execute_process(COMMAND mkfifo ${fifo} RESULT_VARIABLE made)
if(NOT made EQUAL 0)
  message(FATAL_ERROR "mkfifo ${fifo} failed")
endif()
foreach(path ${fifo} /dev/zero ${WORK})
  execute_process(COMMAND ${TOOL} ${path} ${ARGS} TIMEOUT 20
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE error)
  if(NOT result EQUAL 1 OR NOT error STREQUAL "${name}: Cannot open file ${path}\n")
    message(FATAL_ERROR "${name} ${path}: status ${result}, message \"${error}\"")
  endif()
endforeach()
file(REMOVE ${fifo})
