# The Debian package: calcstats_VERSION_ARCH.deb, its dependencies found by
# dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGE_CONTACT "calcstats developers <calcstats@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# What makes the package the same bytes whatever the umask (cmake/deb-*.cmake).
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/deb-staging.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/deb-archive.cmake)
set(CPACK_CALCSTATS_PROGRAM ${CMAKE_INSTALL_BINDIR}/calcstats)
set(CPACK_CALCSTATS_OBJCOPY ${CMAKE_OBJCOPY})
set(CPACK_CALCSTATS_OVERRIDES ${PROJECT_SOURCE_DIR}/res/debian/lintian-overrides)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "character-planning calculator for a role-playing game, in French")
set(CPACK_PACKAGE_DESCRIPTION "calcstats asks for a class and a split of 390 points between strength and
dexterity, the rest going to constitution, checks every answer, and prints
the character's level-75 damage, attack, defence and hit points, with four
weapons and two armour sets, cycle after cycle.  It speaks French, in a text
console, and can be driven from a script through a pipe.")
include(CPack)
