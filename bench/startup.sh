#!/bin/bash
# Start-up benchmark under Wine (not a test: it reports, it never fails on a time).
#
# Reports the size of Quenloft.exe against its budget and the whole-process
# time of the second-copy refusal path: a first copy holds its dialog open, and
# each further copy finds the mutex taken and exits with -1 at once. That time
# is set against a floor exe (bench/floor_exit.cpp) that imports the same three
# DLLs and only exits, over alternating runs, as a ratio per pair.
#
# Usage: bench/startup.sh [PAIRS]      (default 30; builds the win32 preset first)
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
pairs=${1:-30}
warmup=5
budget=36864
exe=$repo/build/win32/Quenloft.exe
# The booted Wine prefix of the build, which the end-to-end scenarios and scripts/run copy too.
wine_template=$repo/build/win32/wine-template
# shellcheck source-path=SCRIPTDIR/.. source=scripts/lib/wine-session.sh
. "$repo/scripts/lib/wine-session.sh"

work=$(mktemp -d)
first_copy=
cleanup() {
    ws_end_session
    rm -rf "$work"
}
ws_begin_session
# Takes the place of the session's EXIT trap; cleanup ends the session first.
trap cleanup EXIT

build_exe() {
    (cd "$repo" && cmake --preset win32 >/dev/null && cmake --build --preset win32 >/dev/null)
}

# Same image options as Quenloft.exe: freestanding, GUI subsystem 5.0, relocatable, DEP.
build_floor() {
    i686-w64-mingw32-g++ -Os -Wall -Wextra -Werror -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables \
        -fno-ident -nostdlib -s -Wl,--fatal-warnings -Wl,-e,_wWinMainCRTStartup@0 \
        -Wl,--subsystem,windows:5.0 -Wl,--major-os-version,5 -Wl,--minor-os-version,0 \
        -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware -Wl,--no-insert-timestamp \
        "$repo/bench/floor_exit.cpp" -lkernel32 -luser32 -ladvapi32 -o "$work/floor.exe"
}

describe_machine() {
    echo "Quenloft start-up under Wine: second-copy refusal against the floor"
    echo "date:    $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "cpu:     $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores available"
    echo "wine:    $(wine --version)"
    echo "load:    $(cut -d' ' -f1-3 /proc/loadavg) at the start (other work on the machine widens the spread)"
}

report_size() {
    local size
    size=$(wc -c <"$exe")
    echo "size:    Quenloft.exe $size bytes, budget $budget, $((budget - size)) left ($((size * 100 / budget))% used)"
}

# Plain wine, not ws_wine: $! must be the program's own process.
start_first_copy() {
    LC_ALL=en_US.UTF-8 WINEDEBUG=-all wine "$exe" >/dev/null 2>&1 &
    first_copy=$!
    ws_wait_window_of_pid "$first_copy" 60 >/dev/null || {
        echo "bench: the first copy showed no dialog" >&2
        exit 1
    }
}

stop_first_copy() {
    ws_close_with_escape "$first_copy" || echo "bench: the first copy did not close" >&2
}

# Prints the wall time of one whole `wine X.exe` in microseconds; the exe must
# exit with the expected code (the low 8 bits: -1 shows as 255).
time_run() {
    local program=$1 expected=$2 start end status=0
    start=${EPOCHREALTIME/./}
    LC_ALL=en_US.UTF-8 ws_wine "$program" >/dev/null 2>&1 || status=$?
    end=${EPOCHREALTIME/./}
    if [ "$status" -ne "$expected" ]; then
        echo "bench: $program exited with $status, expected $expected" >&2
        exit 1
    fi
    echo $((end - start))
}

# Alternates the order within each pair so that a drift of the machine falls on both sides.
measure_pairs() {
    local i floor ours
    for ((i = 0; i < warmup; i++)); do
        time_run "$work/floor.exe" 0 >/dev/null
        time_run "$exe" 255 >/dev/null
    done
    for ((i = 0; i < pairs; i++)); do
        if ((i % 2 == 0)); then
            floor=$(time_run "$work/floor.exe" 0)
            ours=$(time_run "$exe" 255)
        else
            ours=$(time_run "$exe" 255)
            floor=$(time_run "$work/floor.exe" 0)
        fi
        echo "$floor $ours"
    done >"$work/pairs"
}

# Median, quartiles and extremes of one column of numbers, each scaled by $2.
summarise() {
    sort -n | awk -v scale="$2" -v format="$1" '
        { v[NR] = $1 }
        function at(q,   i) { i = 1 + q * (NR - 1); return v[int(i)] + (i - int(i)) * (v[int(i) + 1] - v[int(i)]) }
        END {
            printf format, at(0.5) * scale, at(0.25) * scale, at(0.75) * scale, v[1] * scale, v[NR] * scale
        }'
}

column() { awk -v c="$1" '{ print $c }' "$work/pairs"; }
ratios() { awk '{ print $2 / $1 }' "$work/pairs"; }

report_times() {
    local ratio_median medians_ratio verdict="NOT met"
    echo "load:    $(cut -d' ' -f1-3 /proc/loadavg) at the end"
    echo "runs:    $pairs alternating pairs after $warmup warm-up pairs, whole wine process, first copy holding its dialog"
    column 1 | summarise "floor:   median %.1f ms (quartiles %.1f-%.1f, range %.1f-%.1f)\n" 0.001
    column 2 | summarise "refusal: median %.1f ms (quartiles %.1f-%.1f, range %.1f-%.1f)\n" 0.001
    ratios | summarise "ratio:   median %.3f (quartiles %.3f-%.3f, range %.3f-%.3f) per pair, refusal / floor\n" 1
    ratio_median=$(ratios | summarise "%.3f" 1)
    medians_ratio=$(awk -v ours="$(column 2 | summarise "%f" 1)" -v floor="$(column 1 | summarise "%f" 1)" \
        'BEGIN { printf "%.3f", ours / floor }')
    echo "         ratio of the two medians $medians_ratio"
    if awk -v r="$ratio_median" 'BEGIN { exit !(r <= 1.05) }'; then verdict=met; fi
    echo "goal:    median ratio $ratio_median within 1.05: $verdict"
}

main() {
    build_exe
    build_floor
    describe_machine
    report_size
    ws_start_display
    ws_ensure_template "$wine_template"
    ws_use_fresh_prefix "$wine_template" "$work/prefix"
    start_first_copy
    measure_pairs
    stop_first_copy
    report_times
}

main
