#!/bin/bash
# Boots the Wine prefix that every scenario copies; does nothing when it is ready.
set -u -o pipefail
# shellcheck source=SCRIPTDIR/../../scripts/lib/wine-session.sh
source "$(dirname "$0")/../../scripts/lib/wine-session.sh"
: "${QUENLOFT_WINE_TEMPLATE:?booted template prefix}"
ws_ensure_template "$QUENLOFT_WINE_TEMPLATE"
