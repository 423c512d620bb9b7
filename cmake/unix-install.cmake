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

# For the desktop's menu: an entry that opens the program in a terminal, by
# its full path (root's PATH has no /usr/games), its icon drawn at the
# theme's sizes, and its AppStream record, dated as the changelog's last
# entry.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(CALCSTATS_EXEC ${CMAKE_INSTALL_FULL_BINDIR}/calcstats)
configure_file(res/calcstats.desktop.in ${PROJECT_BINARY_DIR}/org.example.calcstats.desktop @ONLY)
file(STRINGS debian/changelog released REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX MATCH ", ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) " released "${released}")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months ${CMAKE_MATCH_2} month)
math(EXPR month "101 + ${month}")  # January is 101: the last two digits are the month's
string(SUBSTRING ${month} 1 2 month)
set(CALCSTATS_DATE ${CMAKE_MATCH_3}-${month}-${CMAKE_MATCH_1})
configure_file(res/calcstats.metainfo.xml.in ${PROJECT_BINARY_DIR}/org.example.calcstats.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/org.example.calcstats.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/org.example.calcstats.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size IN ITEMS 32 48 256)
    add_custom_command(OUTPUT icon-${size}.png COMMAND Python3::Interpreter
        ${PROJECT_SOURCE_DIR}/res/make_icon.py ${size} icon-${size}.png DEPENDS res/make_icon.py)
    list(APPEND icons icon-${size}.png)
    install(FILES ${PROJECT_BINARY_DIR}/icon-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME calcstats.png)
endforeach()
add_custom_target(icons ALL DEPENDS ${icons})
