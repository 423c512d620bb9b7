# Runs PROGRAM (through EMULATOR, if any) with INPUT as its standard input and
# its standard output in ACTUAL, then compares that with EXPECTED, if given.
# The exit status must be EXPECT_STATUS (0 by default) and standard error
# must begin with EXPECT_ERROR (be empty by default).
if(NOT DEFINED EXPECT_STATUS)
    set(EXPECT_STATUS 0)
endif()
get_filename_component(dir ${ACTUAL} DIRECTORY)
file(MAKE_DIRECTORY ${dir})
execute_process(
    COMMAND ${EMULATOR} ${PROGRAM}
    INPUT_FILE ${INPUT}
    OUTPUT_FILE ${ACTUAL}
    ERROR_VARIABLE errors
    RESULT_VARIABLE status)
if(NOT status STREQUAL EXPECT_STATUS)
    message(FATAL_ERROR "exit status ${status}, expected ${EXPECT_STATUS}\n${errors}")
endif()
string(LENGTH "${EXPECT_ERROR}" length)
string(SUBSTRING "${errors}" 0 ${length} start)
if(NOT start STREQUAL "${EXPECT_ERROR}" OR (length EQUAL 0 AND errors))
    message(FATAL_ERROR "standard error is not what was expected:\n${errors}")
endif()
if(NOT EXPECTED)
    return()
endif()

set(options "")
if(IGNORE_EOL)
    set(options --ignore-eol)
endif()
execute_process(
    COMMAND ${CMAKE_COMMAND} -E compare_files ${options} ${EXPECTED} ${ACTUAL}
    RESULT_VARIABLE differ)
if(differ)
    find_program(DIFF diff)
    if(DIFF)
        execute_process(COMMAND ${DIFF} -u ${EXPECTED} ${ACTUAL})
    endif()
    message(FATAL_ERROR "${ACTUAL} differs from ${EXPECTED}")
endif()
