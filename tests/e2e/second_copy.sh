#!/bin/bash
# A second copy started while the first shows its dialog ends at once with -1,
# without a window or a message; the first copy goes on undisturbed.
# shellcheck source=SCRIPTDIR/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin

e2e_start first
e2e_wait_dialog

e2e_start second
e2e_expect_exit -1
e2e_expect_calls <<EOF2
$(e2e_call_mutex)
$(e2e_call_exit ffffffff)
EOF2

e2e_switch_to first
e2e_wait_dialog
e2e_press_escape
e2e_expect_exit 0
e2e_expect_calls <<EOF2
$(e2e_call_mutex)
$(e2e_call_dialog "$E2E_IDCANCEL")
$(e2e_call_exit 00000000)
EOF2
