#!/bin/sh
# Every example in the README, doc/cmake.md, doc/qmake.md and the man page is one that the tests
# build or run: each line of code in their cmake, meson and qmake blocks is in a project the
# package tests build; the tag file and the generated source the README shows are the example's
# own and its golden file; the man page's example command, run, gives the function the page
# shows; NEWS begins with the project's version.
#   tests/docs_test.sh <source dir> <quorlModuleParser> <scratch dir>
set -eu
src=$1
tool=$2
scratch=$3
failed=0
fail() {
    echo "docs: $*" >&2
    failed=1
}

# Block <n> (from 1) fenced as ```<language> in <file>; an empty language is a plain fence.
block() {
    awk -v want="$2" -v n="$3" '
        /^```/ { if (open) { open = 0; if (lang == want) seen++ } else { open = 1; lang = substr($0, 4) }; next }
        open && lang == want && seen == n - 1 { print }' "$1"
}

built=$(cat "$src/examples/geometry/CMakeLists.txt" "$src/tests/package/modular_app/CMakeLists.txt" \
    "$src/tests/package/modular_app/meson.build" "$src/tests/package/modular_app/"*/meson.build \
    "$src/tests/package/modular_app/"*.pro "$src/tests/package/modular_app/"*/*.pro)
for doc in README.md doc/cmake.md doc/qmake.md; do
    for language in cmake meson qmake; do
        for n in 1 2 3; do
            block "$src/$doc" "$language" "$n" | sed 's/[[:space:]]*#.*$//; s/^[[:space:]]*//' |
                while IFS= read -r line; do
                    [ -z "$line" ] || printf '%s\n' "$built" | grep -qF -- "$line" ||
                        { echo "docs: $doc: no tested project has: $line" >&2; exit 1; }
                done || failed=1
        done
    done
done

block "$src/README.md" "" 1 | cmp -s - "$src/examples/geometry/geometry.tags" ||
    fail "README.md: the tag file shown is not examples/geometry/geometry.tags"
block "$src/README.md" cpp 1 | cmp -s - "$src/tests/golden/example_geometry_reg.cpp.golden" ||
    fail "README.md: the generated file shown is not the example's"
block "$src/README.md" cpp 2 | cmp -s - "$src/examples/geometry/Circle.h" ||
    fail "README.md: the class shown is not examples/geometry/Circle.h"

# NEWS begins with the project's version.
version=$(sed -n 's/^project(QuorlModuleParser VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
news=$(sed -n 's/^## \([0-9.]*\) .*/\1/p' "$src/NEWS.md" | head -n 1)
[ -n "$version" ] && [ "$news" = "$version" ] ||
    fail "NEWS.md begins with version '$news', the project is at '$version'"

# The man page's example: its tag file, its command, the function it shows.
rm -rf "$scratch" && mkdir -p "$scratch"
example() {
    awk -v n="$1" '/^\.SH EXAMPLE/ { on = 1 } on && /^\.fi/ { open = 0 } on && open && seen == n { print }
                   on && /^\.nf/ { open = 1; seen++ }' "$src/doc/quorlModuleParser.1.in" | sed 's/\\-/-/g'
}
example 1 >"$scratch/geometry.tags"
command=$(example 2 | sed "s|^quorlModuleParser |$tool |")
(cd "$scratch" && sh -c "$command") || fail "the man page's example command failed: $command"
example 3 | while IFS= read -r line; do
    grep -qxF -- "$line" "$scratch/geometry_reg.cpp" ||
        { echo "docs: the man page's example shows a line not generated: $line" >&2; exit 1; }
done || failed=1
exit "$failed"
