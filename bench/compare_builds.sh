#!/bin/sh
# Runs two builds of the tool on one tag file in interleaved pairs (alternating which goes
# first), checks that they write the same bytes, and prints the median of the new/old time
# ratios and each one's peak memory over the tag file's size:
#   bench/compare_builds.sh <old tool> <new tool> <tag file> [-createClassReg|-createTagsInfo] [pairs]
set -eu
old=$1 new=$2 input=$3 command=${4:--createClassReg} pairs=${5:-9}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
run() { /usr/bin/time -f "%e %M" -o "$out/$1.time" "$2" "$command" "$input" "$out/$1.out" >/dev/null; }
i=0
while [ $i -lt "$pairs" ]; do
    if [ $((i % 2)) = 0 ]; then run old "$old"; run new "$new"; else run new "$new"; run old "$old"; fi
    cmp -s "$out/old.out" "$out/new.out" || { echo "the two builds wrote different bytes" >&2; exit 1; }
    echo "$(cat "$out/old.time") $(cat "$out/new.time")" >>"$out/pairs"
    i=$((i + 1))
done
size=$(stat -c %s "$input")
echo "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
median=$(awk '{ printf "%.4f\n", $3 / $1 }' "$out/pairs" | sort -n | sed -n "$(((pairs + 1) / 2))p")
echo "new/old time, median of $pairs pairs: ${median}x"
tail -n 1 "$out/pairs" | awk -v size="$size" \
    '{ printf "peak memory / tag file: old %.2fx, new %.2fx\n", $2 * 1024 / size, $4 * 1024 / size }'
