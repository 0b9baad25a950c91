#!/bin/sh
# The unsigned executable, resources included, must fit its size budget.
# Usage: check_size_budget.sh EXE BUDGET_BYTES
set -eu

exe=$1
budget=$2
size=$(wc -c <"$exe")

if [ "$size" -gt "$budget" ]; then
    echo "FAIL: $exe is $size bytes, $((size - budget)) over its $budget-byte budget; its sections:"
    i686-w64-mingw32-objdump -h "$exe" | sed -n '/^ *[0-9]/p'
    exit 1
fi
echo "Quenloft.exe: $size bytes of a $budget-byte budget ($((budget - size)) left)"
