#!/bin/bash
# Runs the fidelity probe under Wine in a private prefix on a private X
# display, runs the same table on the simulated Windows, and fails on any
# difference. Also fails when Wine's lines no longer match the recorded ones
# that the host build's test uses.
#
# usage: compare_with_wine.sh PROBE_EXE SIM_PROGRAM RECORDED_WINE_LINES WORK_DIR
set -u

probe=$1 sim_program=$2 recorded=$3 work=$4
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

# shellcheck source=../../scripts/lib/wine-session.sh
. "$source_dir/scripts/lib/wine-session.sh"
# Displays :70 to :79 belong to this test.
WS_FIRST_DISPLAY=70
WS_LAST_DISPLAY=79

for helper in ws_begin_session ws_start_display ws_ensure_template ws_use_fresh_prefix ws_wine ws_stop_prefix; do
    declare -F "$helper" >/dev/null || ws_fail "scripts/lib/wine-session.sh no longer defines $helper"
done

[ -x "$sim_program" ] ||
    ws_fail "no host program at $sim_program: build the host preset first (or set QUENLOFT_FIDELITY_SIM)"

mkdir -p "$work"
# Wine takes only absolute prefix paths.
work=$(cd "$work" && pwd)
ws_begin_session
ws_start_display
ws_ensure_template "$work/template"
ws_use_fresh_prefix "$work/template" "$work/prefix"

wine_lines=$work/wine-lines.txt
ws_wine "$probe" >"$wine_lines" 2>"$work/probe-errors.txt"
probe_status=$?
ws_stop_prefix
if [ "$probe_status" -ne 0 ]; then
    cat "$work/probe-errors.txt" >&2
    ws_fail "the probe ended with status $probe_status under Wine"
fi

echo "== simulation against Wine ($(wine --version))"
"$sim_program" --compare "$wine_lines"
compare_status=$?

recorded_status=0
if ! diff -u "$recorded" "$wine_lines" >"$work/recorded.diff"; then
    echo "== Wine's lines differ from the recorded ones in $recorded:"
    cat "$work/recorded.diff"
    echo "After checking the differences, record the new lines with: cp $wine_lines $recorded"
    recorded_status=1
fi

[ "$compare_status" -eq 0 ] || ws_fail "the simulation differs from Wine"
[ "$recorded_status" -eq 0 ] || ws_fail "the recorded Wine lines are out of date"
echo "the simulation matches Wine in every case"
