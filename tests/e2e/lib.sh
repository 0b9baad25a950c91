# Steps shared by the end-to-end scenarios. Each scenario gets its own X display
# and its own copy of the booted Wine prefix, starts the real Quenloft.exe with a
# relay trace, drives it with real key presses and clicks, and checks the exit
# code, the registry afterwards and the calls the program made.
#
# Environment (set by CTest): QUENLOFT_EXE, QUENLOFT_WINE_TEMPLATE, QUENLOFT_E2E_WORK.
# shellcheck disable=SC2034 # the E2E_ID* and text values are for the scenarios

set -u -o pipefail

E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=SCRIPTDIR/../../scripts/lib/wine-session.sh
source "$E2E_DIR/../../scripts/lib/wine-session.sh"

: "${QUENLOFT_EXE:?path of Quenloft.exe}" "${QUENLOFT_WINE_TEMPLATE:?booted template prefix}"
: "${QUENLOFT_E2E_WORK:?work directory of this scenario}"

# The calls whose order and arguments the scenarios assert. CreateMutexW also
# marks the program's own thread in a trace that holds Wine's helper processes too.
E2E_RELAY="kernel32.CreateMutexW;user32.MessageBoxW;user32.DialogBoxParamW"
E2E_RELAY+=";advapi32.RegCreateKeyExW;advapi32.RegSetValueExW;advapi32.RegDeleteValueW"
E2E_RELAY+=";advapi32.OpenProcessToken;advapi32.LookupPrivilegeValueW;advapi32.AdjustTokenPrivileges"
E2E_RELAY+=";user32.ExitWindowsEx;kernel32.ExitProcess"

E2E_HIDUSB='HKLM\SYSTEM\CurrentControlSet\Services\HidUsb'
E2E_VALUE=FastResumeDisable
E2E_WAIT_SECONDS=30
# How long a scenario waits for one that another test run of the same build
# tree is running; two at once would share work directories and the CPU.
E2E_LOCK_SECONDS=300

# A 6.1 workstation, which the program takes for Windows 7 (Wine 8's "win7"
# reports a 6.1 server).
E2E_DEFAULT_RELEASE=win2008r2

declare -A E2E_PIDS
E2E_RUN=
E2E_WINDOW=

e2e_begin() {
    exec {E2E_LOCK_FD}>"$QUENLOFT_WINE_TEMPLATE.scenarios.lock"
    flock -w "$E2E_LOCK_SECONDS" "$E2E_LOCK_FD" ||
        ws_fail "another end-to-end scenario of this build has been running for ${E2E_LOCK_SECONDS}s"
    ws_begin_session
    rm -rf "$QUENLOFT_E2E_WORK"
    mkdir -p "$QUENLOFT_E2E_WORK"
    ws_start_display
    ws_use_fresh_prefix "$QUENLOFT_WINE_TEMPLATE" "$QUENLOFT_E2E_WORK/prefix"
    ws_set_windows_version "$E2E_DEFAULT_RELEASE"
    ws_set_relay_functions "$E2E_RELAY"
}

e2e_trace() { echo "$QUENLOFT_E2E_WORK/$E2E_RUN.trace"; }
e2e_pid() { echo "${E2E_PIDS[$E2E_RUN]}"; }

# e2e_start RUN [NAME=value...]: starts the program with the given environment
# (LC_ALL defaults to US English) and its own trace; RUN becomes the current run.
e2e_start() {
    E2E_RUN=$1
    shift
    env LC_ALL=en_US.UTF-8 "$@" WINEDEBUG=+relay,+dialog wine "$QUENLOFT_EXE" \
        >/dev/null 2>"$(e2e_trace)" &
    E2E_PIDS[$E2E_RUN]=$!
}

# e2e_trim NAME...: removes the padding around the values of the named
# variables, as read from the "|"-separated rows of a table of cases.
e2e_trim() {
    local name
    for name in "$@"; do
        read -r "${name?}" <<<"${!name}"
    done
}

# Makes an earlier run the current one again.
e2e_switch_to() { E2E_RUN=$1; }

e2e_program_calls() {
    /usr/bin/python3 "$E2E_DIR/relay_calls.py" calls "$(e2e_trace)"
}

e2e_dialog_template() {
    /usr/bin/python3 "$E2E_DIR/relay_calls.py" dialog "$(e2e_trace)"
}

# Waits until the program has called $1 and shows a window (its dialog or a
# message box); sets E2E_WINDOW and clicks its caption, so that it is the
# active window and the keys pressed next go to it, whatever else is open.
e2e_wait_window_after() {
    local function=$1 pid tries
    pid=$(e2e_pid)
    for ((tries = E2E_WAIT_SECONDS * 10; tries > 0; tries--)); do
        if grep -qs "Call [A-Za-z0-9]*\.$function(" "$(e2e_trace)" &&
            E2E_WINDOW=$(ws_window_of_pid "$pid") && [ -n "$E2E_WINDOW" ]; then
            ws_activate_window "$E2E_WINDOW"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || ws_fail "$E2E_RUN: the program ended without showing a window after $function"
        sleep 0.1
    done
    e2e_show_program_calls
    ws_fail "$E2E_RUN: no window after $function within ${E2E_WAIT_SECONDS}s"
}

e2e_wait_dialog() { e2e_wait_window_after DialogBoxParamW; }
e2e_wait_message_box() { e2e_wait_window_after MessageBoxW; }

e2e_keys() {
    xdotool key --delay 100 "$@"
}

# Clicks the middle of a rectangle given in dialog units, as the settings
# template places its controls. Wine's dialog manager reports the base units it
# derived from the font; the rest of the window is the frame around the client area.
e2e_click_dialog_rect() {
    local x=$1 y=$2 width=$3 height=$4 units unit_x unit_y window_width window_height border top
    units=$(e2e_dialog_template | sed -n 's/^units = \([0-9]*\),\([0-9]*\)$/\1 \2/p' | tail -n 1)
    [ -n "$units" ] || ws_fail "$E2E_RUN: no dialog units in the trace"
    read -r unit_x unit_y <<<"$units"
    read -r window_width window_height < <(ws_window_size "$E2E_WINDOW")
    border=$(((window_width - 219 * unit_x / 4) / 2))
    top=$((window_height - 67 * unit_y / 8 - border))
    xdotool mousemove --window "$E2E_WINDOW" \
        $((border + (2 * x + width) * unit_x / 8)) $((top + (2 * y + height) * unit_y / 16)) \
        click 1
    sleep 0.2
}

e2e_click_disabled() { e2e_click_dialog_rect 16 22 125 10; }
e2e_click_enabled() { e2e_click_dialog_rect 16 38 125 10; }
e2e_click_ok() { e2e_click_dialog_rect 162 10 50 14; }
e2e_click_cancel() { e2e_click_dialog_rect 162 27 50 14; }

# The close box sits at the right end of the caption that Wine draws.
e2e_click_close_box() {
    local width height
    read -r width height < <(ws_window_size "$E2E_WINDOW")
    xdotool mousemove --window "$E2E_WINDOW" $((width - 12)) 12 click 1
}

e2e_press_escape() { e2e_keys Escape; }

# The restart question has No as its default button; Yes is one step back.
e2e_answer_yes() { e2e_keys shift+Tab Return; }
e2e_answer_default() { e2e_keys Return; }

# Waits for the program to end and checks its exit code: the low 8 bits that
# Wine passes on, and the full value the program handed to ExitProcess.
e2e_expect_exit() {
    local code=$1 hex
    if ! ws_wait_exit "$(e2e_pid)" "$E2E_WAIT_SECONDS"; then
        e2e_show_program_calls
        ws_fail "$E2E_RUN: still running after ${E2E_WAIT_SECONDS}s"
    fi
    [ "$WS_EXIT_STATUS" = $((code & 255)) ] ||
        ws_fail "$E2E_RUN: exit status $WS_EXIT_STATUS, expected $((code & 255)) (exit code $code)"
    printf -v hex '%08x' $((code & 0xffffffff))
    e2e_program_calls | grep -qx "ExitProcess($hex)" ||
        ws_fail "$E2E_RUN: the program did not end with ExitProcess($hex)"
}

# True when the text matches the expected line, in which * stands for any
# handle or pointer and every other character for itself.
e2e_matches() {
    local pattern=${2//\\/\\\\}
    pattern=${pattern//\?/\\?}
    pattern=${pattern//\[/\\[}
    # shellcheck disable=SC2053 # the right side is a pattern on purpose
    [[ $1 == $pattern ]]
}

# Compares the program's calls with the lines on stdin, in order.
e2e_expect_calls() {
    local actual expected i
    mapfile -t actual < <(e2e_program_calls)
    mapfile -t expected
    for i in "${!expected[@]}"; do
        if [ "$i" -ge "${#actual[@]}" ] || ! e2e_matches "${actual[$i]}" "${expected[$i]}"; then
            e2e_show_calls "${actual[@]}"
            ws_fail "$E2E_RUN: call $((i + 1)) should be: ${expected[$i]}"
        fi
    done
    if [ "${#actual[@]}" -ne "${#expected[@]}" ]; then
        e2e_show_calls "${actual[@]}"
        ws_fail "$E2E_RUN: ${#actual[@]} calls, expected ${#expected[@]}"
    fi
}

e2e_show_calls() {
    echo "$E2E_RUN: the program's calls were (no \"->\": not returned):" >&2
    printf '  %s\n' "$@" >&2
}

e2e_show_program_calls() {
    local calls
    mapfile -t calls < <(e2e_program_calls)
    e2e_show_calls "${calls[@]}"
}

# Expected call lines, for e2e_expect_calls.
e2e_call_mutex() { echo 'CreateMutexW(00000000,00000000,"Korvantis.Quenloft.ExclusiveMutex") -> *'; }
e2e_call_dialog() { echo "DialogBoxParamW(*,00000066,00000000,*,00000000) -> $1"; }
# Opening (or creating) the HidUsb key with KEY_ALL_ACCESS.
e2e_call_open_key() {
    printf '%s\n' 'RegCreateKeyExW(80000002,"SYSTEM\\CurrentControlSet\\Services\\HidUsb",00000000,00000000,00000000,000f003f,00000000,*,*) -> 00000000'
}
e2e_calls_write() {
    e2e_call_open_key
    echo "RegSetValueExW(*,\"$E2E_VALUE\",00000000,00000004,*,00000004) -> 00000000"
}
e2e_calls_delete() {
    e2e_call_open_key
    echo "RegDeleteValueW(*,\"$E2E_VALUE\") -> 00000000"
}
# $1: the text as the string table writes it (\n for a line break), $2: the answer.
e2e_call_restart_question() { printf 'MessageBoxW(00000000,"%s","Quenloft",00000144) -> %s\n' "$1" "$2"; }
e2e_call_exit() { echo "ExitProcess($1)"; }

E2E_IDOK=00000001
E2E_IDCANCEL=00000002
E2E_IDYES=00000006
E2E_IDNO=00000007
E2E_RESTART_PROMPT_EN='You must restart your computer before the new settings will take effect.\n\nDo you want to restart?'

# --- Registry ----------------------------------------------------------------

e2e_reg() {
    ws_wine reg "$@"
}

# The value as `reg query` shows it ("REG_DWORD 0x1"), or "absent".
e2e_queried_value() {
    local line
    line=$(e2e_reg query "$E2E_HIDUSB" /v "$E2E_VALUE" 2>/dev/null | tr -d '\r' | grep -w "$E2E_VALUE") || {
        echo absent
        return
    }
    awk '{ print $2, $3 }' <<<"$line"
}

e2e_expect_queried_value() {
    local actual
    actual=$(e2e_queried_value)
    [ "$actual" = "$1" ] || ws_fail "$E2E_RUN: reg query shows $E2E_VALUE as \"$actual\", expected \"$1\""
}

e2e_expect_key_present() {
    e2e_reg query "$E2E_HIDUSB" >/dev/null 2>&1 || ws_fail "$E2E_RUN: the HidUsb key is missing"
}

e2e_remove_key() {
    e2e_reg delete "$E2E_HIDUSB" /f >/dev/null 2>&1
    if e2e_reg query "$E2E_HIDUSB" >/dev/null 2>&1; then
        ws_fail "could not remove the HidUsb key"
    fi
}

# Stores the value from the data part of a .reg line (dword:00000001,
# hex(4):01,00,00,00,00,00,00,00, "1", ...), replacing what was there.
e2e_store_value() {
    local file="$QUENLOFT_E2E_WORK/value.reg"
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"%s"=%s\r\n' \
        'HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\HidUsb' "$E2E_VALUE" "$1" >"$file"
    e2e_reg delete "$E2E_HIDUSB" /v "$E2E_VALUE" /f >/dev/null 2>&1
    e2e_reg import "Z:${file//\//\\}" >/dev/null 2>&1 || ws_fail "could not store $1"
}

# The value's data as Wine writes it to the machine hive, in .reg notation with
# the exact type and length ("absent" when there is none). Stops the prefix's
# processes, so that wineserver writes the hive.
e2e_saved_value() {
    ws_stop_prefix
    awk -v value="\"$E2E_VALUE\"=" '
        more { line = $0; sub(/^ +/, "", line); more = sub(/\\$/, "", line); data = data line; next }
        /^\[/ { in_key = (tolower($0) ~ /^\[system\\\\currentcontrolset\\\\services\\\\hidusb\]/); next }
        in_key && index($0, value) == 1 { data = substr($0, length(value) + 1); more = sub(/\\$/, "", data) }
        END { print (data == "" ? "absent" : data) }
    ' "$WINEPREFIX/system.reg"
}

e2e_expect_saved_value() {
    local actual
    actual=$(e2e_saved_value)
    [ "$actual" = "$1" ] || ws_fail "$E2E_RUN: $E2E_VALUE is saved as $actual, expected $1"
}
