# The Debian package, source and binary, built as a Debian user builds it
# (dpkg-buildpackage and debhelper) from a copy of the files that git
# tracks, in deb/, and unpacked there; then each check is a test of its own:
# the package holds the files of package.txt, lintian finds nothing to say
# of either, even pedantic (it renders the manual pages with warnings on),
# nor do the desktop's and AppStream's validators of its menu entry and
# record, and, as root, Debian's autopkgtest installs it on this machine and
# runs debian/tests.
set(deb ${PROJECT_BINARY_DIR}/deb)
file(MAKE_DIRECTORY ${deb})
add_test(NAME deb.build COMMAND sh -c [[rm -rf src root calcstats[-_]* && mkdir src &&
    git -C "$0" ls-files -z | (cd "$0" && xargs -0 cp --parents -t "$1/src") &&
    (cd src && dpkg-buildpackage -us -uc) && dpkg-deb -x calcstats_*.deb root]] ${PROJECT_SOURCE_DIR} ${deb}
    WORKING_DIRECTORY ${deb})
set_tests_properties(deb.build PROPERTIES FIXTURES_SETUP deb)
add_test(NAME deb.files COMMAND sh -c "dpkg-deb -c calcstats_*.deb | awk '{ print $1, $6 }' | diff -u \"$0\" -"
    ${CMAKE_CURRENT_SOURCE_DIR}/package.txt WORKING_DIRECTORY ${deb})
add_test(NAME deb.lintian COMMAND sh -c "lintian --pedantic -I --fail-on error,warning,info,pedantic calcstats_*.changes"
    WORKING_DIRECTORY ${deb})
add_test(NAME deb.desktop COMMAND sh -c "desktop-file-validate root/usr/share/applications/*.desktop &&
    appstreamcli validate --pedantic --no-net root/usr/share/metainfo/*.xml" WORKING_DIRECTORY ${deb})
add_test(NAME deb.autopkgtest COMMAND sh -c "[ $(id -u) = 0 ] || exit 77; autopkgtest calcstats_*.changes -- null"
    WORKING_DIRECTORY ${deb})
set_tests_properties(deb.autopkgtest PROPERTIES SKIP_RETURN_CODE 77)
set_tests_properties(deb.files deb.lintian deb.desktop deb.autopkgtest PROPERTIES FIXTURES_REQUIRED deb)
