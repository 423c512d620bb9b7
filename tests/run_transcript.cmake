# Runs PROGRAM (through EMULATOR, if any) with INPUT as its standard input and
# compares what it wrote with EXPECTED.
get_filename_component(dir ${ACTUAL} DIRECTORY)
file(MAKE_DIRECTORY ${dir})
execute_process(
    COMMAND ${EMULATOR} ${PROGRAM}
    INPUT_FILE ${INPUT}
    OUTPUT_FILE ${ACTUAL}
    ERROR_VARIABLE errors
    RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
    message(FATAL_ERROR "exit status ${status}, expected 0\n${errors}")
endif()
if(errors)
    message(FATAL_ERROR "unexpected standard error:\n${errors}")
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
