# Run by cpack before it packs: unless SOURCE_DATE_EPOCH is set already, every
# date in the package is the time of the last commit, so that two builds of
# one commit give the same package.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH} AND CPACK_MOON_GIT)
    execute_process(
        COMMAND "${CPACK_MOON_GIT}" log -1 --format=%ct
        WORKING_DIRECTORY "${CPACK_MOON_SOURCE_DIR}"
        OUTPUT_VARIABLE last_commit_time
        OUTPUT_STRIP_TRAILING_WHITESPACE
        RESULT_VARIABLE git_failed
        ERROR_QUIET)
    if(NOT git_failed)
        set(ENV{SOURCE_DATE_EPOCH} "${last_commit_time}")
    endif()
endif()
