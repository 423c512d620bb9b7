# Read by CPack before it makes the Windows zip (CPACK_PROJECT_CONFIG_FILE)
# and after (CPACK_POST_BUILD_SCRIPTS), so that one commit gives the same
# bytes whoever builds it, wherever and whenever.  Before: the date of the
# changelog's last entry, as Debian's tools read it, unless the caller sets
# SOURCE_DATE_EPOCH.  After: libarchive writes each entry's time in the
# builder's time zone and its owner as the builder; Debian's
# strip-nondeterminism writes them in UTC and as root.
if(NOT DEFINED CPACK_PACKAGE_FILES)
    if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
        execute_process(COMMAND dpkg-parsechangelog -l ${CPACK_CALCSTATS_CHANGELOG} -STimestamp
            OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        set(ENV{SOURCE_DATE_EPOCH} ${date})
    endif()
    return()
endif()
foreach(zip IN LISTS CPACK_PACKAGE_FILES)
    execute_process(COMMAND strip-nondeterminism --type zip --timestamp $ENV{SOURCE_DATE_EPOCH} ${zip}
        COMMAND_ERROR_IS_FATAL ANY)
endforeach()
