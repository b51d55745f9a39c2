# add_transcript_test(KIND NAME GAME INPUT EXPECTED [LAUNCHER...]) adds the
# test KIND.NAME: GAME, run under LAUNCHER if one is given, plays the whole of
# INPUT and must write exactly EXPECTED and exit with status 0.
function(add_transcript_test kind name game input expected)
    add_test(NAME ${kind}.${name}
        COMMAND "${CMAKE_COMMAND}"
            -DGAME=${game}
            -DINPUT=${input}
            -DEXPECTED=${expected}
            -DACTUAL=${CMAKE_CURRENT_BINARY_DIR}/${kind}.${name}.actual
            "-DLAUNCHER=${ARGN}"
            -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/run_transcript.cmake)
    set_tests_properties(${kind}.${name} PROPERTIES LABELS ${kind})
endfunction()
