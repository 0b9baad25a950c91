#!/bin/sh
# Builds Quenloft.exe twice from the same sources in two fresh build
# directories of different absolute paths, the second with SOURCE_DATE_EPOCH
# set, and requires byte-identical files with no time stamp and no build path.
# Usage: check_reproducible.sh SOURCE_DIR
set -eu

source_dir=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

build() {
    echo "building in $1"
    if ! cmake -S "$source_dir" -B "$1" --toolchain "$source_dir/cmake/i686-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel >"$1.log" 2>&1 ||
        ! cmake --build "$1" --target Quenloft -j 2 >>"$1.log" 2>&1; then
        cat "$1.log"
        echo "FAIL: the build in $1 failed"
        exit 1
    fi
}

# Little-endian unsigned integer of $2 bytes at offset $3 of file $1.
read_le() {
    od -A n -t u"$2" -j "$3" -N "$2" --endian=little "$1" | tr -d ' '
}

check_no_timestamp() {
    pe_header=$(read_le "$1" 4 60)
    stamp=$(read_le "$1" 4 $((pe_header + 8)))
    [ "$stamp" -eq 0 ] || fail "$1: PE header TimeDateStamp is $stamp, not 0"
}

check_no_path() {
    if grep -q -a -F -e "$2" "$1"; then
        fail "$1 contains the path $2"
    fi
}

# Names the section (or the headers) holding each differing byte, first 20 only.
report_differences() {
    i686-w64-mingw32-objdump -h "$1" | while read -r index name size _vma _lma file_offset _align; do
        case $index in [0-9]*) echo "$name $((0x$file_offset)) $((0x$size))" ;; esac
    done >"$work/sections"
    cmp -l "$1" "$2" | head -n 20 | while read -r offset byte_a byte_b; do
        position=$((offset - 1))
        section=$(awk -v at="$position" '
            NR == 1 || $2 < first { first = $2 }
            $2 <= at && at < $2 + $3 { found = $1 }
            END { print found ? found : (at < first ? "the headers" : "section padding") }' "$work/sections")
        printf '  offset 0x%06x in %s: %s vs %s (octal)\n' "$position" "$section" "$byte_a" "$byte_b"
    done
    echo "  $(cmp -l "$1" "$2" | wc -l) bytes differ in all; sizes $(wc -c <"$1") and $(wc -c <"$2")"
}

first=$work/first/build
second=$work/second-build-with-a-longer-path/out
mkdir -p "$(dirname "$first")" "$(dirname "$second")"
(unset SOURCE_DATE_EPOCH && build "$first")
(export SOURCE_DATE_EPOCH=1234567890 && build "$second")

for exe in "$first/Quenloft.exe" "$second/Quenloft.exe"; do
    check_no_timestamp "$exe"
    check_no_path "$exe" "$first"
    check_no_path "$exe" "$second"
    check_no_path "$exe" "$source_dir"
done

if cmp -s "$first/Quenloft.exe" "$second/Quenloft.exe"; then
    echo "identical: $(wc -c <"$first/Quenloft.exe") bytes, sha256 $(sha256sum <"$first/Quenloft.exe" | cut -c1-64)"
else
    fail "the two builds of Quenloft.exe differ"
    report_differences "$first/Quenloft.exe" "$second/Quenloft.exe"
fi

[ "$failures" -eq 0 ]
