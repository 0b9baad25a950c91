# shellcheck shell=sh
# Sourced by the release test and the start-up benchmark: a private X display
# and a private Wine prefix, so that a run neither sees nor disturbs anybody
# else's windows, registry or wineserver.
#
# Displays :80 to :89 are reserved for these runs; other Wine tests use :90 on.
# Callers must call wine_session_stop from an EXIT trap.

WINE_SESSION_XVFB_PID=

wine_session_display_free() {
    [ ! -e "/tmp/.X$1-lock" ] && [ ! -e "/tmp/.X11-unix/X$1" ]
}

wine_session_wait_display() {
    tries=0
    until xdpyinfo -display ":$1" >/dev/null 2>&1; do
        kill -0 "$WINE_SESSION_XVFB_PID" 2>/dev/null || return 1
        tries=$((tries + 1))
        [ "$tries" -le 100 ] || return 1
        sleep 0.1
    done
}

# Starts Xvfb on the first free display of :80-:89 and exports DISPLAY.
wine_session_start_display() {
    for number in 80 81 82 83 84 85 86 87 88 89; do
        wine_session_display_free "$number" || continue
        Xvfb ":$number" -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
        WINE_SESSION_XVFB_PID=$!
        if wine_session_wait_display "$number"; then
            export DISPLAY=":$number"
            return 0
        fi
        # Lost a race for this display to another run: try the next one.
        kill "$WINE_SESSION_XVFB_PID" 2>/dev/null || true
        WINE_SESSION_XVFB_PID=
    done
    echo "wine session: no free X display among :80-:89" >&2
    return 1
}

# Creates a prefix in $1 whose programs run inside an 800x600 virtual desktop,
# so that dialogs get Wine-drawn captions without a window manager and `wine`
# still returns the program's own exit code.
wine_session_make_prefix() {
    export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null 2>&1
    wineserver -w
}

# Prints the X window id of the first window titled exactly $1, waiting up to
# $2 seconds for it to appear.
wine_session_wait_window() {
    deadline=$(($(date +%s) + $2))
    while [ "$(date +%s)" -le "$deadline" ]; do
        if window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) && [ -n "$window" ]; then
            echo "$window"
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# Presses Escape until process $1 has ended: a key that arrives while the
# dialog is still being set up can be lost. Fails if it never ends.
wine_session_dismiss() {
    for _ in 1 2 3; do
        xdotool key Escape
        ticks=0
        while kill -0 "$1" 2>/dev/null; do
            ticks=$((ticks + 1))
            [ "$ticks" -le 30 ] || continue 2
            sleep 0.1
        done
        return 0
    done
    return 1
}

wine_session_stop() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        wineserver -k 2>/dev/null || true
    fi
    if [ -n "$WINE_SESSION_XVFB_PID" ]; then
        kill "$WINE_SESSION_XVFB_PID" 2>/dev/null || true
        wait "$WINE_SESSION_XVFB_PID" 2>/dev/null || true
        WINE_SESSION_XVFB_PID=
    fi
}
