# Runs TOOL on INPUT and compares its output with EXPECTED.
execute_process(COMMAND ${TOOL} ${INPUT} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${TOOL} ${INPUT} failed: ${result}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${EXPECTED} RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "token dump of ${INPUT} differs from ${EXPECTED} (see ${OUTPUT})")
endif()
