# Runs PROGRAM (arguments ARGS, a list) with its output piped and compares it with EXPECTED.
execute_process(COMMAND ${PROGRAM} ${ARGS} OUTPUT_VARIABLE output ERROR_VARIABLE errors
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} exited with ${status}\n${errors}")
endif()
file(READ ${EXPECTED} expected)
if(NOT output STREQUAL expected)
  message(FATAL_ERROR "output of ${PROGRAM} differs from ${EXPECTED}\n"
                      "--- expected\n${expected}--- actual\n${output}")
endif()
