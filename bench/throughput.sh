#!/usr/bin/env bash
# Pipes many generated cycles through the release build and prints cycles per
# second, user-space instructions per cycle, system calls per cycle and peak
# memory.  Needs valgrind, strace and GNU time; build first with
#   cmake --workflow --preset default
set -euo pipefail
cd "$(dirname "$0")/.."
program=build/default/calcstats
[ -x "$program" ] || { echo "build $program first: cmake --workflow --preset default" >&2; exit 1; }
missing=()
command -v valgrind >/dev/null || missing+=(valgrind)
command -v strace >/dev/null || missing+=(strace)
[ -x /usr/bin/time ] || missing+=(time)
if [ ${#missing[@]} -gt 0 ]; then
    echo "throughput.sh needs valgrind, strace and GNU time; on Debian: apt-get install ${missing[*]}" >&2
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# n cycles: nine accepted splits of the three classes for each rejection,
# the rejections taking turns among class, strength, dexterity, constitution.
cycles() {
    awk -v n="$1" 'BEGIN {
        srand(75)
        for (i = 0; i < n; i++) {
            c = 1 + i % 3
            if (i % 10 == 9) {
                r = int(i / 10) % 4
                if (r == 0) print 0
                else if (r == 1) print c "\n391"
                else if (r == 2) print c "\n10\n-1"
                else print c "\n200\n191"
            } else {
                f = int(rand() * 391); d = int(rand() * (391 - f))
                print c "\n" f "\n" d
            }
        }
    }' > "$work/$1.in"
}

for n in 1 20000 200000; do cycles $n; done

start=$(date +%s.%N)
"$program" < "$work/200000.in" > /dev/null
end=$(date +%s.%N)
awk -v s="$start" -v e="$end" 'BEGIN { printf "cycles per second:           %.0f\n", 200000 / (e - s) }'

valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" \
    "$program" < "$work/20000.in" > /dev/null 2> "$work/callgrind.log"
grep -o 'Collected : [0-9]*' "$work/callgrind.log" | awk '{ printf "instructions per cycle:      %.0f\n", $3 / 20000 }'

strace -c -o "$work/strace.log" "$program" < "$work/200000.in" > /dev/null
awk '$NF == "total" { printf "system calls per cycle:      %.4f\n", $4 / 200000 }' "$work/strace.log"

for n in 1 200000; do
    kib=$(/usr/bin/time -f %M "$program" < "$work/$n.in" 2>&1 > /dev/null)
    printf 'peak memory at %6d cycles: %s KiB\n' "$n" "$kib"
done
