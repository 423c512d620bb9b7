# Runs PROGRAM (through EMULATOR, if any) on INPUT with its output in
# ACTUAL.  It must exit 0, say nothing on standard error and write INPUT's
# .out file; with FAILURE, it must exit 1 with a message about its output.
string(REPLACE "|" ";" EMULATOR "${EMULATOR}")
if(FAILURE)
    execute_process(COMMAND ${EMULATOR} ${PROGRAM} INPUT_FILE ${INPUT} OUTPUT_FILE ${ACTUAL}
        ERROR_VARIABLE errors RESULT_VARIABLE status TIMEOUT 60)
    if(NOT status EQUAL 1 OR NOT errors MATCHES "^calcstats: erreur d'ecriture sur la sortie standard: ")
        message(FATAL_ERROR "exit status ${status}, expected 1 with a message; standard error:\n${errors}")
    endif()
    return()
endif()

# A program that loops must not fill the disk: past 4 MB it loses its reader.
execute_process(COMMAND ${EMULATOR} ${PROGRAM} COMMAND head -c 4000000 INPUT_FILE ${INPUT} OUTPUT_FILE ${ACTUAL}
    ERROR_VARIABLE errors RESULTS_VARIABLE statuses TIMEOUT 60)
list(GET statuses 0 status)
if(NOT status EQUAL 0 OR errors)
    message(FATAL_ERROR "exit status ${status}, expected 0; standard error:\n${errors}")
endif()

string(REGEX REPLACE "\\.in$" ".out" expected ${INPUT})
if(IGNORE_EOL)
    set(ignore_eol --ignore-eol)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${ignore_eol} ${expected} ${ACTUAL} RESULT_VARIABLE differ)
if(differ)
    execute_process(COMMAND diff -u ${expected} ${ACTUAL})
    message(FATAL_ERROR "${ACTUAL} differs from ${expected}")
endif()
