# Plays one whole game with INPUT as standard input and checks that the game
# wrote exactly EXPECTED and exited with status 0. LAUNCHER, if given, is a
# command (such as valgrind) to run the game under.
execute_process(
    COMMAND ${LAUNCHER} "${GAME}"
    INPUT_FILE "${INPUT}"
    OUTPUT_FILE "${ACTUAL}"
    RESULT_VARIABLE status
    TIMEOUT 120)
if(NOT status STREQUAL "0")
    message(FATAL_ERROR "the game exited with '${status}', expected 0")
endif()

execute_process(
    COMMAND "${CMAKE_COMMAND}" -E compare_files "${EXPECTED}" "${ACTUAL}"
    RESULT_VARIABLE different)
if(different)
    execute_process(COMMAND diff -u "${EXPECTED}" "${ACTUAL}")
    message(FATAL_ERROR "output differs from ${EXPECTED}")
endif()
