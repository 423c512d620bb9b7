# Checks what Explorer shows of EXE and what it needs to start: its version
# record (VERSION, French (France), code page 1252), its icon, and that it
# imports no DLL but Windows' own.

execute_process(COMMAND ${WINDRES} --input-format=coff --output-format=rc -i ${EXE}
    OUTPUT_VARIABLE rc RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "windres cannot read the resources of ${EXE}")
endif()

# windres writes the numbers as "1, 2, 0, 0" and the block name in either case.
string(TOLOWER "${rc}" rc)
string(REPLACE "." ", " numbers ${VERSION})
foreach(expected
        "language 12, 1"
        "fileversion ${numbers}"
        "productversion ${numbers}"
        "block \"040c04e4\""
        "value \"fileversion\", \"${VERSION}\""
        "value \"productversion\", \"${VERSION}\""
        "value \"filedescription\", \"calculateur de statistiques\""
        "value \"originalfilename\", \"calcstats.exe\""
        "value \"translation\", 0x40c, 1252"
        "1 14 /* rt_group_icon */"
        "has 3 elements")
    string(FIND "${rc}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "no '${expected}' in the resources of ${EXE}:\n${rc}")
    endif()
endforeach()

execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "objdump cannot read ${EXE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
if(NOT imports)
    message(FATAL_ERROR "no imports found in ${EXE}")
endif()
foreach(line IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(TOLOWER "${dll}" dll)
    if(NOT dll MATCHES "^(kernel32|user32|advapi32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\\.dll$")
        message(FATAL_ERROR "${EXE} needs ${dll}, which Windows does not have")
    endif()
endforeach()
message(STATUS "imports: ${imports}")
