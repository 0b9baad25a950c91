#!/bin/bash
# Leaving the dialog without a changed choice changes nothing and asks nothing:
# no registry write or delete, no restart question, exit code 0.
# shellcheck source=SCRIPTDIR/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin

# case             | stored before  | what the user does                  | dialog result
CASES=(
    "cancel            | absent         | e2e_click_cancel                    | $E2E_IDCANCEL"
    "escape            | dword:00000001 | e2e_press_escape                    | $E2E_IDCANCEL"
    "close_box         | absent         | e2e_click_close_box                 | $E2E_IDCANCEL"
    "other_then_cancel | absent         | e2e_click_disabled e2e_click_cancel | $E2E_IDCANCEL"
    "ok_same_enabled   | absent         | e2e_click_ok                        | $E2E_IDOK"
    "ok_same_disabled  | dword:00000001 | e2e_click_ok                        | $E2E_IDOK"
)

for row in "${CASES[@]}"; do
    IFS='|' read -r name stored actions result <<<"$row"
    e2e_trim name stored actions result
    if [ "$stored" = absent ]; then
        e2e_reg delete "$E2E_HIDUSB" /v "$E2E_VALUE" /f >/dev/null 2>&1
    else
        e2e_store_value "$stored"
    fi
    before=$(e2e_queried_value)

    e2e_start "$name"
    e2e_wait_dialog
    for action in $actions; do
        $action
    done
    e2e_expect_exit 0
    e2e_expect_calls <<EOF2
$(e2e_call_mutex)
$(e2e_call_dialog "$result")
$(e2e_call_exit 00000000)
EOF2
    e2e_expect_queried_value "$before"
done
