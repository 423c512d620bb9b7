#!/usr/bin/env bash
# Builds the Debian package, the Windows zip and the page again, from a copy
# of the committed sources in another directory and under umask 077, and
# compares each with the one that the workflows left in build/: one commit
# gives the same bytes wherever, whenever and under whatever umask it is
# built.  A difference names the artifact, with the archive's listings side
# by side.
set -euo pipefail
cd "$(dirname "$0")/.."
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
umask 077
git ls-files -z | xargs -0 cp --parents -t "$copy"
for preset in package windows web; do
    (cd "$copy" && cmake --preset $preset -DBUILD_TESTING=OFF --no-warn-unused-cli && cmake --build --preset $preset) >/dev/null
done
(cd "$copy" && cpack --preset package && cpack --preset windows) >/dev/null
list() { case $1 in *.deb) ar tv "$1" && dpkg-deb -c "$1" ;; *.zip) python3 -m zipfile -l "$1" ;; esac; }
status=0
for artifact in build/package/calcstats_*.deb build/windows/calcstats-*.zip build/windows/calcstats.exe build/web/calcstats.html; do
    cmp "$artifact" "$copy/$artifact" || { diff <(list "$artifact") <(list "$copy/$artifact") || :; status=1; }
done
exit $status
