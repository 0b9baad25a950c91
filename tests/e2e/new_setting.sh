#!/bin/bash
# A machine whose HidUsb service key does not exist yet: switching fast resume
# off creates the key and the value, switching it back on deletes only the value.
# Each change is followed by the restart question, answered No.
# shellcheck source=SCRIPTDIR/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin
e2e_remove_key

e2e_start disable
e2e_wait_dialog
e2e_click_disabled
e2e_click_ok
e2e_wait_message_box
e2e_answer_default
e2e_expect_exit 0
e2e_expect_calls <<EOF2
$(e2e_call_mutex)
$(e2e_call_dialog "$E2E_IDOK")
$(e2e_calls_write)
$(e2e_call_restart_question "$E2E_RESTART_PROMPT_EN" "$E2E_IDNO")
$(e2e_call_exit 00000000)
EOF2
e2e_expect_queried_value "REG_DWORD 0x1"

e2e_start enable
e2e_wait_dialog
e2e_click_enabled
e2e_click_ok
e2e_wait_message_box
e2e_answer_default
e2e_expect_exit 0
e2e_expect_calls <<EOF2
$(e2e_call_mutex)
$(e2e_call_dialog "$E2E_IDOK")
$(e2e_calls_delete)
$(e2e_call_restart_question "$E2E_RESTART_PROMPT_EN" "$E2E_IDNO")
$(e2e_call_exit 00000000)
EOF2
e2e_expect_queried_value absent
e2e_expect_key_present
