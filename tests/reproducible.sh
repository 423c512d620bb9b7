#!/usr/bin/env bash
# Builds the Debian package, the Windows zip and the page a second time,
# from a clone of the committed sources, and compares each with the one that
# the workflows left in build/.  The second build varies what Debian's
# reproducible builds vary and a CI machine can: the path, the umask (077),
# the time zone (14 hours ahead of UTC), the locale (French), the user
# (nobody, when this runs as root) and the date (three days on).  A
# difference names the artifact, with the archive's listings side by side.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -z "$(git status --porcelain --untracked-files=no)" ] || { echo "commit first: the second build is of the committed sources" >&2; exit 2; }
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
git clone -q . "$copy/src"
localedef -i fr_FR -f UTF-8 "$copy/fr_FR.UTF-8"  # where LOCPATH finds it, without root
as=()
[ "$(id -u)" != 0 ] || { chown -R nobody: "$copy" && as=(setpriv --reuid=nobody --regid=nogroup --clear-groups); }
# shellcheck disable=SC2016  # expanded by the inner shell
"${as[@]}" env HOME="$copy" LOCPATH="$copy" LC_ALL=fr_FR.UTF-8 TZ=XST-14 faketime -f +3d sh -ec '
    umask 077
    cd "$0"
    cmake --preset package && cmake --build --preset package && ctest --preset package -R "^deb.build$"
    for preset in windows web; do cmake --preset $preset -DBUILD_TESTING=OFF && cmake --build --preset $preset; done
    cpack --preset windows' "$copy/src" >/dev/null
# A .deb's members and files, or a zip's entries with their times, modes and owners.
list() { case $1 in *.deb) ar tv "$1" && dpkg-deb -c "$1" ;; *.zip) python3 -c 'import sys, zipfile
[print(i.filename, i.date_time, oct(i.external_attr >> 16), i.extra.hex()) for i in zipfile.ZipFile(sys.argv[1]).infolist()]' "$1" ;; esac; }
status=0
for artifact in build/package/deb/calcstats_*.deb build/windows/calcstats-*.zip build/windows/calcstats.exe build/web/calcstats.html build/web/site/*; do
    cmp "$artifact" "$copy/src/$artifact" || { diff <(list "$artifact") <(list "$copy/src/$artifact") || :; status=1; }
done
exit $status
