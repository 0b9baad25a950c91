#!/bin/bash
# Takes the README's screenshots from the real Quenloft.exe under Wine: the
# dialog in English, French and Japanese and the restart question, each cropped
# to its window. Needs the win32 build.
#
# Usage: tests/e2e/screenshots.sh [OUTPUT_DIR]   (default: docs/screenshots)

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD="$REPO/build/win32"
OUTPUT=$(realpath -m "${1:-$REPO/docs/screenshots}")

export QUENLOFT_EXE="$BUILD/Quenloft.exe"
export QUENLOFT_WINE_TEMPLATE="$BUILD/wine-template"
export QUENLOFT_E2E_WORK="$BUILD/screenshots"
# shellcheck source=SCRIPTDIR/lib.sh
source "$REPO/tests/e2e/lib.sh"

[ -f "$QUENLOFT_EXE" ] || ws_fail "$QUENLOFT_EXE is missing: cmake --preset win32 && cmake --build --preset win32"

# Without metadata (time stamps), so that an unchanged picture gives an unchanged file.
save_window() {
    import -window "$E2E_WINDOW" -strip -define png:exclude-chunks=date,time "$OUTPUT/$1" ||
        ws_fail "could not save $OUTPUT/$1"
    echo "$OUTPUT/$1"
}

ws_ensure_template "$QUENLOFT_WINE_TEMPLATE"
e2e_begin
mkdir -p "$OUTPUT"

for language in en:en_US.UTF-8 fr:fr_FR.UTF-8 ja:ja_JP.UTF-8; do
    e2e_start "dialog-${language%%:*}" LC_ALL="${language#*:}"
    e2e_wait_dialog
    save_window "dialog-${language%%:*}.png"
    e2e_press_escape
    e2e_expect_exit 0
done

e2e_start restart-question
e2e_wait_dialog
e2e_click_disabled
e2e_click_ok
e2e_wait_message_box
save_window restart-question-en.png
e2e_answer_default
e2e_expect_exit 0
