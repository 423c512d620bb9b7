# The program, its manual page in English and in French, compressed as man
# finds them, and the copyright and changelog that a Debian system keeps
# with each package.  The package preset puts the program in games/, as
# Debian does for games.
include(GNUInstallDirs)
install(TARGETS calcstats RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

foreach(page IN ITEMS calcstats.6 fr/calcstats.6)
    set(out ${PROJECT_BINARY_DIR}/man/${page})
    configure_file(man/${page}.in ${out} @ONLY)
    add_custom_command(OUTPUT ${out}.gz COMMAND gzip -9nkf ${out} DEPENDS ${out})
    list(APPEND pages ${out}.gz)
    cmake_path(GET page PARENT_PATH lang)
    cmake_path(APPEND CMAKE_INSTALL_MANDIR ${lang} man6 OUTPUT_VARIABLE dir)
    install(FILES ${out}.gz DESTINATION ${dir})
endforeach()
add_custom_target(manual ALL DEPENDS ${pages})

set(changelog ${PROJECT_BINARY_DIR}/changelog)
add_custom_command(OUTPUT ${changelog}.gz COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/debian/changelog .
    COMMAND gzip -9nf changelog DEPENDS debian/changelog)
add_custom_target(changelog ALL DEPENDS ${changelog}.gz)
install(FILES debian/copyright ${changelog}.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
