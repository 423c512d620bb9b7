# The manual pages render without a warning.  The Debian package, made
# once: its files are those of package.txt, lintian finds nothing to say,
# and the program it installs plays a transcript.
add_test(NAME manual COMMAND sh -c "test -z \"$(groff -man -ww -z man/calcstats.6 man/fr/calcstats.6 2>&1)\""
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
add_test(NAME deb COMMAND ${CMAKE_CPACK_COMMAND} -G DEB WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
add_test(NAME deb.contents COMMAND sh -c "dpkg-deb -c calcstats_*.deb | awk '{ print $1, $6 }' | diff -u \"$0\" -"
    ${CMAKE_CURRENT_SOURCE_DIR}/package.txt WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
add_test(NAME deb.lintian COMMAND sh -c "lintian --fail-on error,warning calcstats_*.deb" WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
add_test(NAME deb.plays COMMAND sh -c "rm -rf root && dpkg-deb -x calcstats_*.deb root &&
    root/usr/games/calcstats < \"$0\"/guerrier.in | cmp - \"$0\"/guerrier.out" ${transcripts} WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
set_tests_properties(deb PROPERTIES FIXTURES_SETUP deb)
set_tests_properties(deb.contents deb.lintian deb.plays PROPERTIES FIXTURES_REQUIRED deb)
