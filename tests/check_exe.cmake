# Checks what Explorer shows of EXE, its version record (VERSION, French
# (France), code page 1252) and its icon, and that it needs no DLL beyond
# Windows' own.  windres writes the version as "1, 2, 0, 0".
execute_process(COMMAND ${WINDRES} --input-format=coff --output-format=rc -i ${EXE} OUTPUT_VARIABLE rc)
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE headers)
string(TOLOWER "${rc}${headers}" found)
string(REPLACE "." ", " numbers ${VERSION})
foreach(expected "language 12, 1" "fileversion ${numbers}" "productversion ${numbers}" "block \"040c04e4\""
        "\"fileversion\", \"${VERSION}\"" "\"productversion\", \"${VERSION}\"" "\"translation\", 0x40c, 1252"
        "\"filedescription\", \"calculateur de statistiques\"" "\"originalfilename\", \"calcstats.exe\""
        "1 14 /* rt_group_icon */" "has 3 elements" "dll name: kernel32.dll")
    string(FIND "${found}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "no '${expected}' in the resources or headers of ${EXE}:\n${rc}${headers}")
    endif()
endforeach()
string(REGEX MATCHALL "dll name: [^\n]+" imports "${found}")
list(FILTER imports EXCLUDE REGEX "dll name: (kernel32|user32|advapi32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\\.dll")
if(imports)
    message(FATAL_ERROR "${EXE} needs DLLs that Windows does not have: ${imports}")
endif()
