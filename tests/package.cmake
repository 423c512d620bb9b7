# The manual pages render without a warning.  The Debian package: its files
# are those of package.txt, lintian finds nothing to say, even pedantic, and the program it
# installs plays a transcript.
add_test(NAME manual COMMAND sh -c "test -z \"$(groff -man -ww -z man/calcstats.6 man/fr/calcstats.6 2>&1)\""
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
add_test(NAME deb COMMAND sh -c "\"$0\" -G DEB && deb=$(ls calcstats_*.deb) &&
    dpkg-deb -c $deb | awk '{ print $1, $6 }' | diff -u \"$1\" - && lintian --pedantic -I --fail-on error,warning,info,pedantic $deb &&
    rm -rf root && dpkg-deb -x $deb root && root/usr/games/calcstats < \"$2\"/guerrier.in | cmp - \"$2\"/guerrier.out"
    ${CMAKE_CPACK_COMMAND} ${CMAKE_CURRENT_SOURCE_DIR}/package.txt ${transcripts} WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
