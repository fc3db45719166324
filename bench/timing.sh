# Sourced by the build benchmarks: a clock and the median of a file of numbers, one a line.
milliseconds() { echo $(($(date +%s%N) / 1000000)); }
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
