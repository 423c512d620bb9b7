# Run by CPack once the files are staged, before it makes the .deb
# (CPACK_PRE_BUILD_SCRIPTS).  lintian's overrides join the files.  The
# program loses its .comment section, the compilers' versions, which Debian
# strips too.  The staged directories take their modes from the umask and go
# into the package as they are: they become 0755 whatever the umask.
set(usr ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(MAKE_DIRECTORY ${usr}/share/lintian/overrides)
file(COPY_FILE ${CPACK_CALCSTATS_OVERRIDES} ${usr}/share/lintian/overrides/calcstats)
file(CHMOD ${usr}/share/lintian/overrides/calcstats PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
execute_process(COMMAND ${CPACK_CALCSTATS_OBJCOPY} --remove-section=.comment ${usr}/${CPACK_CALCSTATS_PROGRAM}
    COMMAND_ERROR_IS_FATAL ANY)
file(GLOB_RECURSE dirs LIST_DIRECTORIES true ${CPACK_TEMPORARY_DIRECTORY}/*)
foreach(dir IN LISTS dirs)
    if(IS_DIRECTORY ${dir})
        file(CHMOD ${dir} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
            WORLD_EXECUTE)
    endif()
endforeach()
