# Shared helpers for running Quenloft.exe under Wine: a private X display, a
# private Wine prefix copied from one booted template, relay tracing, and a
# cleanup that stops everything started here, also when the caller fails.
#
# Source it from bash, then call ws_begin_session once; everything it starts is
# stopped by the EXIT trap it installs. Callers may run with set -e.
# shellcheck disable=SC2034 # WS_EXIT_STATUS is read by the sourcing scripts

WS_FIRST_DISPLAY=90
WS_LAST_DISPLAY=199
WS_TEMPLATE_FORMAT=1
WS_WINE_FONTS=/usr/share/wine/fonts
WS_XVFB_PID=
WS_PREFIX=
WS_REMOVE_PREFIX=
WS_EXIT_STATUS=

ws_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

ws_note() {
    echo "-- $*" >&2
}

# Wine's own diagnostics are noise here; relay runs switch tracing on explicitly.
ws_wine() {
    WINEDEBUG=-all wine "$@"
}

# --- X display ---------------------------------------------------------------

ws_display_taken() {
    [ -e "/tmp/.X$1-lock" ] || [ -e "/tmp/.X11-unix/X$1" ]
}

ws_wait_for_display() {
    local display=$1 pid=$2 tries
    for ((tries = 50; tries > 0; tries--)); do
        kill -0 "$pid" 2>/dev/null || return 1
        xdpyinfo -display "$display" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# Starts Xvfb on the first free display from :90 up and exports DISPLAY. A
# display that another server grabs between the check and the start makes
# Xvfb exit at once; the search then goes on.
ws_start_display() {
    local n
    for n in $(seq "$WS_FIRST_DISPLAY" "$WS_LAST_DISPLAY"); do
        ws_display_taken "$n" && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        WS_XVFB_PID=$!
        if ws_wait_for_display ":$n" "$WS_XVFB_PID"; then
            export DISPLAY=":$n"
            return 0
        fi
        kill "$WS_XVFB_PID" 2>/dev/null || true
        wait "$WS_XVFB_PID" 2>/dev/null || true
        WS_XVFB_PID=
    done
    ws_fail "no free X display between :$WS_FIRST_DISPLAY and :$WS_LAST_DISPLAY"
}

# --- Wine prefixes -----------------------------------------------------------

ws_template_stamp() {
    local fonts
    fonts=$(find "$WS_WINE_FONTS" -maxdepth 1 -name '*.ttf' -printf '%f\n' 2>/dev/null | sort | md5sum)
    echo "format $WS_TEMPLATE_FORMAT, $(wine --version), fonts ${fonts%% *}"
}

ws_template_ready() {
    [ "$(cat "$1/.quenloft-template" 2>/dev/null)" = "$(ws_template_stamp)" ]
}

# Runs the program inside an 800x600 virtual desktop without starting explorer
# by hand, so that `wine Quenloft.exe` still returns the program's exit code.
# An X display without a window manager needs it to give the program focus.
ws_set_virtual_desktop() {
    ws_wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null &&
        ws_wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null
}

# Lets the program's windows appear on the display like any other, under the
# user's window manager. A size for the desktop named "Default" alone would
# still make Wine open it.
ws_clear_virtual_desktop() {
    ws_wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
    ws_wine reg delete 'HKCU\Software\Wine\Explorer\Desktops' /v Default /f >/dev/null 2>&1
    true
}

ws_boot_prefix() {
    local prefix=$1
    # No display and no Mono or Gecko: booting must not stop at an installer's question.
    env -u DISPLAY WINEPREFIX="$prefix" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all \
        wine wineboot -i &&
        WINEPREFIX=$prefix ws_set_virtual_desktop &&
        WINEPREFIX=$prefix wineserver -w &&
        ws_install_wine_fonts "$prefix"
}

# Debian's Wine does not load its own fonts (Tahoma, Marlett for the caption
# buttons, ...) from where the fonts-wine package puts them; in the prefix's
# Fonts folder it finds them, as on Windows.
ws_install_wine_fonts() {
    [ -d "$WS_WINE_FONTS" ] || return 0
    cp "$WS_WINE_FONTS"/*.ttf "$1/drive_c/windows/Fonts/"
}

# Boots the shared template prefix once (wineboot takes tens of seconds); later
# calls find it ready. A lock keeps two callers from booting it at the same time.
ws_ensure_template() {
    local template=$1
    mkdir -p "$(dirname "$template")"
    (
        flock 9
        ws_template_ready "$template" && exit 0
        ws_note "booting the template Wine prefix $template"
        rm -rf "$template" "$template.booting"
        ws_boot_prefix "$template.booting" || exit 1
        ws_template_stamp >"$template.booting/.quenloft-template"
        mv "$template.booting" "$template"
    ) 9>"$template.lock" || ws_fail "could not boot the Wine prefix $template"
}

# Copies the booted template to $2, holding the template's lock shared, so that
# a boot in progress elsewhere cannot replace it under the copy.
ws_copy_template() {
    local template=$1 prefix=$2
    (
        flock -s 9
        ws_template_ready "$template" || ws_fail "template prefix $template is not booted"
        rm -rf "$prefix"
        cp -a "$template" "$prefix" || ws_fail "could not copy $template"
    ) 9>"$template.lock" || exit 1
}

# A fresh copy of the template as WINEPREFIX, removed again when the session ends.
ws_use_fresh_prefix() {
    ws_copy_template "$1" "$2"
    WS_PREFIX=$2
    WS_REMOVE_PREFIX=yes
    export WINEPREFIX=$2
}

# A copy of the template as WINEPREFIX that outlives the session, so that what
# the program changed is still there the next time; made on first use.
ws_use_lasting_prefix() {
    ws_template_ready "$2" || ws_copy_template "$1" "$2"
    WS_PREFIX=$2
    export WINEPREFIX=$2
}

# What the platform reports to the program: winxp, win2003, vista, win2008,
# win7, win2008r2, win10, ...
ws_set_windows_version() {
    ws_wine reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null ||
        ws_fail "could not set the Windows version $1"
}

# Traces the given calls ("dll.Function;dll.Function") of every process started
# with WINEDEBUG=+relay in this prefix.
ws_set_relay_functions() {
    ws_wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d "$1" /f >/dev/null ||
        ws_fail "could not set the relay functions"
}

# Ends every process of the prefix; wineserver writes the registry files
# (system.reg, user.reg) as it stops.
ws_stop_prefix() {
    wineserver -k 2>/dev/null
    wineserver -w
}

# --- Programs and windows ----------------------------------------------------

# First visible top-level X window of a process; Wine sets _NET_WM_PID to the
# Unix process, which `wine` replaces with the program itself.
ws_window_of_pid() {
    xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -n 1
}

# Polls for a window of the process for up to $2 seconds.
ws_wait_window_of_pid() {
    local pid=$1 seconds=$2 window tries
    for ((tries = seconds * 10; tries > 0; tries--)); do
        window=$(ws_window_of_pid "$pid")
        if [ -n "$window" ]; then
            echo "$window"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Waits up to $2 seconds for a background child of this shell and sets
# WS_EXIT_STATUS; returns 1 if it is still running then.
ws_wait_exit() {
    local pid=$1 seconds=$2 tries
    for ((tries = seconds * 10; tries > 0; tries--)); do
        if ! kill -0 "$pid" 2>/dev/null; then
            WS_EXIT_STATUS=0
            wait "$pid" || WS_EXIT_STATUS=$?
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Presses Escape until process $1 has ended, and sets WS_EXIT_STATUS: a key that
# arrives while the dialog is still being set up can be lost. Returns 1 if the
# process is still running after three presses.
ws_close_with_escape() {
    local pid=$1 presses
    for ((presses = 3; presses > 0; presses--)); do
        xdotool key Escape
        ws_wait_exit "$pid" 3 && return 0
    done
    return 1
}

# Makes a window of the virtual desktop the active one, so that it receives the
# keys pressed next, whatever else is open: a click on the empty desktop, then
# one on the window's caption. (Wine draws a program's first window as inactive
# although it has the focus, until it is activated again this way.)
ws_activate_window() {
    local width height
    read -r width height < <(ws_window_size "$1")
    xdotool mousemove 1 1 click 1
    xdotool mousemove --window "$1" $((width / 2)) 10 click 1
    sleep 0.2
}

# "WIDTH HEIGHT" of an X window, frame included.
ws_window_size() {
    xdotool getwindowgeometry --shell "$1" | sed -n 's/^WIDTH=//p; s/^HEIGHT=//p' | paste -sd ' '
}

ws_screenshot_window() {
    import -window "$1" "$2" || ws_fail "could not take a screenshot of window $1"
}

# --- Cleanup -----------------------------------------------------------------

# Stops the prefix's processes and the display. A fresh prefix is removed, unless
# QUENLOFT_KEEP_PREFIX is set (to look into it after a failure).
ws_end_session() {
    if [ -n "$WS_PREFIX" ]; then
        WINEPREFIX=$WS_PREFIX wineserver -k 2>/dev/null || true
        WINEPREFIX=$WS_PREFIX wineserver -w 2>/dev/null || true
        [ -z "$WS_REMOVE_PREFIX" ] || [ -n "${QUENLOFT_KEEP_PREFIX:-}" ] || rm -rf "$WS_PREFIX"
    fi
    if [ -n "$WS_XVFB_PID" ]; then
        kill "$WS_XVFB_PID" 2>/dev/null || true
        wait "$WS_XVFB_PID" 2>/dev/null || true
    fi
}

ws_begin_session() {
    trap ws_end_session EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
}
