#!/bin/bash
# The Windows releases the program accepts and refuses. A refused release gets
# the error message and exit code -1 before any dialog; an accepted one reaches
# the dialog (left with Esc, exit code 0).
# shellcheck source=SCRIPTDIR/lib.sh
source "$(dirname "$0")/lib.sh"

# Wine's release names do not all mean what they say; the comments give what
# Wine 8 reports to the program for each (probed).
CASES=(
    "winxp refused"     # 5.1 workstation
    "win2003 refused"   # 5.2 server
    "win2008 refused"   # 6.0 server
    "win7 refused"      # 6.1 server
    "vista dialog"      # 6.0 workstation
    "win2008r2 dialog"  # 6.1 workstation, Windows 7
    "win10 dialog"      # 6.2 workstation, what Windows 8 and later tell this program
)
UNSUPPORTED='This application program does not work properly under the current version of Windows.'

e2e_begin
for row in "${CASES[@]}"; do
    read -r release outcome <<<"$row"
    ws_set_windows_version "$release"
    e2e_start "$release"
    if [ "$outcome" = refused ]; then
        e2e_wait_message_box
        e2e_answer_default
        e2e_expect_exit -1
        e2e_expect_calls <<EOF2
$(e2e_call_mutex)
MessageBoxW(00000000,"$UNSUPPORTED","Quenloft",00000010) -> $E2E_IDOK
$(e2e_call_exit ffffffff)
EOF2
    else
        e2e_wait_dialog
        e2e_press_escape
        e2e_expect_exit 0
        e2e_expect_calls <<EOF2
$(e2e_call_mutex)
$(e2e_call_dialog "$E2E_IDCANCEL")
$(e2e_call_exit 00000000)
EOF2
    fi
done
