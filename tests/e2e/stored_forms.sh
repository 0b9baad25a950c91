#!/bin/bash
# How the program reads each stored form of the value. Only a REG_DWORD whose
# first four bytes read 1 (and that fits the 256-byte read buffer) means
# Disabled; every other form means Enabled. The reading shows in what a choice
# does: choosing the state the program read changes nothing, choosing the other
# one writes or deletes the value and asks the restart question.
# shellcheck source=SCRIPTDIR/lib.sh
source "$(dirname "$0")/lib.sh"

# REG_DWORD data of $1 bytes, the first one 01, in .reg notation.
dword_bytes() {
    local data='hex(4):01' i
    for ((i = 1; i < $1; i++)); do data+=',00'; done
    echo "$data"
}

# case                 | stored                         | reads as | choice
CASES=(
    "dword_1              | dword:00000001                 | disabled | enabled"
    "dword_0              | dword:00000000                 | enabled  | enabled"
    "dword_0_then_disable | dword:00000000                 | enabled  | disabled"
    "dword_2              | dword:00000002                 | enabled  | enabled"
    "dword_8_bytes        | $(dword_bytes 8)               | disabled | enabled"
    "dword_1_byte         | $(dword_bytes 1)               | disabled | enabled"
    "dword_256_bytes      | $(dword_bytes 256)             | disabled | enabled"
    "dword_257_bytes      | $(dword_bytes 257)             | enabled  | enabled"
    "sz_1                 | \"1\"                            | enabled  | enabled"
    "sz_1_then_disable    | \"1\"                            | enabled  | disabled"
    "binary_1             | hex:01,00,00,00                | enabled  | enabled"
    "qword_1              | hex(b):01,00,00,00,00,00,00,00 | enabled  | enabled"
)

e2e_begin
for row in "${CASES[@]}"; do
    IFS='|' read -r name stored reading choice <<<"$row"
    e2e_trim name stored reading choice
    e2e_store_value "$stored"
    E2E_RUN=$name e2e_expect_saved_value "$stored"

    e2e_start "$name"
    e2e_wait_dialog
    "e2e_click_$choice"
    e2e_click_ok
    expected=("$(e2e_call_mutex)" "$(e2e_call_dialog "$E2E_IDOK")")
    after=$stored
    if [ "$choice" != "$reading" ]; then
        e2e_wait_message_box
        e2e_answer_default
        if [ "$choice" = disabled ]; then
            mapfile -t -O ${#expected[@]} expected < <(e2e_calls_write)
            after=dword:00000001
        else
            mapfile -t -O ${#expected[@]} expected < <(e2e_calls_delete)
            after=absent
        fi
        expected+=("$(e2e_call_restart_question "$E2E_RESTART_PROMPT_EN" "$E2E_IDNO")")
    fi
    expected+=("$(e2e_call_exit 00000000)")
    e2e_expect_exit 0
    e2e_expect_calls < <(printf '%s\n' "${expected[@]}")
    e2e_expect_saved_value "$after"
done
