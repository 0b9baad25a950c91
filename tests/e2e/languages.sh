#!/bin/bash
# The user interface follows the user's language: English, French and Japanese
# each show their own dialog, restart question and release message. No is the
# restart question's default in every language, so Enter keeps the new value
# without restarting.
# shellcheck source=SCRIPTDIR/lib.sh
source "$(dirname "$0")/lib.sh"

# locale | group box | Disabled | Enabled | Cancel | restart question | release message
CASES=(
    'en_US.UTF-8|Fast resume settings|&Disabled|&Enabled ( Windows standard )|Cancel|You must restart your computer before the new settings will take effect.\n\nDo you want to restart?|This application program does not work properly under the current version of Windows.'
    "fr_FR.UTF-8|Réglages de reprise rapide|&Désactiver|&Activer ( Windows standard )|Annuler|Il est nécessaire de redémarrer l'ordinateur pour appliquer les nouveaux réglages.\\n\\nRedémarrer maintenant?|Ce programme ne fonctionne pas bien sous cette version de Windows."
    'ja_JP.UTF-8|高速リジューム設定|無効|有効 ( Windows標準 )|キャンセル|新しい設定を有効にするには、コンピュータを再起動する必要があります。\n\n今すぐ再起動しますか？|現在のOSでは使用できません'
)

# The caption and each control as the dialog manager created them: text and id.
dialog_texts() {
    e2e_dialog_template | sed -n -e '/^CAPTION /p' \
        -e 's/^\("Button" ".*" -\{0,1\}[0-9]*\), .*/\1/p'
}

expect_dialog_texts() {
    local expected
    expected=$(printf '%s\n' 'CAPTION "Quenloft"' "\"Button\" \"$1\" -1" "\"Button\" \"$2\" 1000" \
        "\"Button\" \"$3\" 1001" '"Button" "OK" 1' "\"Button\" \"$4\" 2")
    if [ "$(dialog_texts)" != "$expected" ]; then
        printf '%s: the dialog showed:\n%s\n' "$E2E_RUN" "$(dialog_texts)" >&2
        ws_fail "$E2E_RUN: expected the dialog texts:"$'\n'"$expected"
    fi
}

e2e_begin
for row in "${CASES[@]}"; do
    IFS='|' read -r locale group disabled enabled cancel restart refusal <<<"$row"
    e2e_reg delete "$E2E_HIDUSB" /v "$E2E_VALUE" /f >/dev/null 2>&1

    e2e_start "dialog_$locale" LC_ALL="$locale"
    e2e_wait_dialog
    expect_dialog_texts "$group" "$disabled" "$enabled" "$cancel"
    e2e_click_disabled
    e2e_click_ok
    e2e_wait_message_box
    e2e_answer_default
    e2e_expect_exit 0
    e2e_expect_calls <<EOF2
$(e2e_call_mutex)
$(e2e_call_dialog "$E2E_IDOK")
$(e2e_calls_write)
$(e2e_call_restart_question "$restart" "$E2E_IDNO")
$(e2e_call_exit 00000000)
EOF2
    e2e_expect_queried_value "REG_DWORD 0x1"

    ws_set_windows_version winxp
    e2e_start "refused_$locale" LC_ALL="$locale"
    e2e_wait_message_box
    e2e_answer_default
    e2e_expect_exit -1
    e2e_expect_calls <<EOF2
$(e2e_call_mutex)
MessageBoxW(00000000,"$refusal","Quenloft",00000010) -> $E2E_IDOK
$(e2e_call_exit ffffffff)
EOF2
    ws_set_windows_version "$E2E_DEFAULT_RELEASE"
done
