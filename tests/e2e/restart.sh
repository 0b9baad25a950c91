#!/bin/bash
# Yes to the restart question asks Windows for a plain reboot with the shutdown
# privilege enabled only around the request; the program still ends with 0.
# Wine answers the request by ending its session: another program open in it
# is closed, and the new value is in place afterwards.
# shellcheck source=SCRIPTDIR/lib.sh
source "$(dirname "$0")/lib.sh"

witness_windows() { xdotool search --classname notepad.exe 2>/dev/null; }

start_witness() {
    local tries
    ws_wine start /min notepad
    for ((tries = E2E_WAIT_SECONDS * 10; tries > 0; tries--)); do
        [ -n "$(witness_windows)" ] && return 0
        sleep 0.1
    done
    ws_fail "the witness program (notepad) did not open"
}

expect_witness_closed() {
    local tries
    for ((tries = E2E_WAIT_SECONDS * 10; tries > 0; tries--)); do
        [ -z "$(witness_windows)" ] && return 0
        sleep 0.1
    done
    ws_fail "restart: the session did not end, notepad is still open"
}

e2e_begin
e2e_remove_key
start_witness

e2e_start restart
e2e_wait_dialog
e2e_click_disabled
e2e_click_ok
e2e_wait_message_box
e2e_answer_yes
e2e_expect_exit 0
e2e_expect_calls <<EOF2
$(e2e_call_mutex)
$(e2e_call_dialog "$E2E_IDOK")
$(e2e_calls_write)
$(e2e_call_restart_question "$E2E_RESTART_PROMPT_EN" "$E2E_IDYES")
OpenProcessToken(ffffffff,00000028,*) -> 00000001
LookupPrivilegeValueW(00000000,"SeShutdownPrivilege",*) -> 00000001
AdjustTokenPrivileges(*,00000000,*,00000010,00000000,00000000) -> 00000001
ExitWindowsEx(00000002,00000000) -> 00000001
AdjustTokenPrivileges(*,00000001,*,00000010,00000000,00000000) -> 00000001
$(e2e_call_exit 00000000)
EOF2
expect_witness_closed
e2e_expect_saved_value dword:00000001
