#!/bin/bash
# Runs scripts/release with throwaway certificates and checks what it publishes:
# refusals write nothing, a failed signing keeps the previous release, and the
# time stamp keeps the signature valid after the one-day signing certificate
# expired. The release runs in a copy of the source tree, so it never touches
# the repository's own build/ and dist/. Last, the signed exe runs under Wine,
# in a fresh copy of the booted Wine prefix that the end-to-end scenarios copy
# too (QUENLOFT_WINE_TEMPLATE, set by CTest; without it, one is booted in the
# work directory).
# Usage: check_signed_release.sh SOURCE_DIR
set -eu

source_dir=$(cd "$1" && pwd)
# shellcheck source-path=SCRIPTDIR/../.. source=scripts/lib/wine-session.sh
. "$source_dir/scripts/lib/wine-session.sh"

work=$(mktemp -d)
wine_template=${QUENLOFT_WINE_TEMPLATE:-$work/wine-template}
tree=$work/tree
pki=$work/pki
dist=$tree/dist
pfx_pass='throwaway pass'
failures=0

cleanup() {
    ws_end_session
    rm -rf "$work"
}
ws_begin_session
# Takes the place of the session's EXIT trap; cleanup ends the session first.
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The caller's own signing setup must not leak into the cases below.
forget_signing_environment() {
    local name
    for name in $(env | sed -n 's/^\(QUENLOFT_[A-Z_]*\)=.*/\1/p'); do
        unset "$name"
    done
}

copy_tree() {
    mkdir -p "$tree"
    tar -C "$source_dir" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$tree" -xf -
}

issue_certificate() {
    local name=$1 days=$2 extensions=$3
    printf '%b' "$extensions" >"$pki/$name.ext"
    openssl req -newkey rsa:2048 -nodes -keyout "$pki/$name.key" -out "$pki/$name.csr" \
        -subj "/CN=Quenloft test $name" 2>/dev/null
    openssl x509 -req -in "$pki/$name.csr" -CA "$pki/ca.pem" -CAkey "$pki/ca.key" -CAcreateserial \
        -days "$days" -extfile "$pki/$name.ext" -out "$pki/$name.pem" 2>/dev/null
}

make_pki() {
    mkdir -p "$pki"
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$pki/ca.key" -out "$pki/ca.pem" -days 3650 \
        -subj "/CN=Quenloft test root" -addext "basicConstraints=critical,CA:TRUE" \
        -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
    issue_certificate code 1 \
        'basicConstraints=critical,CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n'
    issue_certificate tsa 3650 \
        'basicConstraints=critical,CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=critical,timeStamping\n'
    openssl pkcs12 -export -in "$pki/code.pem" -inkey "$pki/code.key" -out "$pki/code.pfx" \
        -passout "pass:$pfx_pass"
}

staging_leftovers() { compgen -G "$tree/.dist-*" || true; }

# $1 case name, $2 text the refusal must contain, then the environment.
check_refusal() {
    local name=$1 expected=$2
    shift 2
    echo "case: refusal, $name"
    if env "$@" "$tree/scripts/release" >"$work/refusal.log" 2>&1; then
        fail "$name: the release went ahead"
    elif ! grep -q -F -e "$expected" "$work/refusal.log"; then
        fail "$name: the refusal does not say '$expected'"
        cat "$work/refusal.log"
    fi
    [ ! -e "$dist" ] || fail "$name: dist/ exists after a refusal: $(ls -A "$dist")"
    [ -z "$(staging_leftovers)" ] || fail "$name: staging left behind: $(staging_leftovers)"
}

check_refusals() {
    local tsa=(QUENLOFT_TSA_CERT="$pki/tsa.pem" QUENLOFT_TSA_KEY="$pki/tsa.key")
    local pem=(QUENLOFT_SIGN_CERT="$pki/code.pem" QUENLOFT_SIGN_KEY="$pki/code.key")
    check_refusal "no certificate" "no signing certificate" "${tsa[@]}"
    check_refusal "no time-stamp source" "no time-stamp source" "${pem[@]}"
    check_refusal "key without certificate" "QUENLOFT_SIGN_CERT is not set" \
        QUENLOFT_SIGN_KEY="$pki/code.key" "${tsa[@]}"
    check_refusal "missing certificate file" "QUENLOFT_SIGN_CERT names no readable file" \
        QUENLOFT_SIGN_CERT="$pki/absent.pem" QUENLOFT_SIGN_KEY="$pki/code.key" "${tsa[@]}"
    check_refusal "TSA certificate without key" "QUENLOFT_TSA_KEY is not set" \
        "${pem[@]}" QUENLOFT_TSA_CERT="$pki/tsa.pem"
    check_refusal "PFX without password" "needs QUENLOFT_SIGN_PASS" QUENLOFT_SIGN_PFX="$pki/code.pfx" "${tsa[@]}"
    check_foreign_file_in_dist "${pem[@]}" "${tsa[@]}"
}

# dist/ is replaced whole, so a file that is no part of a release stops it.
check_foreign_file_in_dist() {
    echo "case: refusal, foreign file in dist/"
    mkdir -p "$dist"
    echo keep >"$dist/notes.txt"
    if env "$@" "$tree/scripts/release" >"$work/foreign.log" 2>&1; then
        fail "foreign file in dist/: the release went ahead"
    elif ! grep -q 'notes.txt, which is no part of a release' "$work/foreign.log"; then
        fail "foreign file in dist/: the refusal does not name the file"
        cat "$work/foreign.log"
    fi
    [ "$(ls -A "$dist")" = notes.txt ] || fail "foreign file in dist/: dist/ now holds: $(ls -A "$dist")"
    rm -rf "$dist"
}

expiry_of_code_certificate() {
    date -d "$(openssl x509 -enddate -noout -in "$pki/code.pem" | cut -d= -f2)" +%s
}

# Valid after the signing certificate expired only through the time stamp:
# the same check without the time stamp must fail, and for that reason.
check_timestamp_carries_signature() {
    local name=$1 exe=$2 later
    later=$(($(expiry_of_code_certificate) + 3600))
    local verify=(osslsigncode verify -CAfile "$pki/ca.pem" -TSA-CAfile "$pki/ca.pem" -time "$later" -in "$exe")
    if ! "${verify[@]}" >"$work/with-ts.log" 2>&1 ||
        ! grep -q '^Timestamp Server Signature verification: ok' "$work/with-ts.log" ||
        ! grep -q '^Signature verification: ok' "$work/with-ts.log" || grep -q 'failed' "$work/with-ts.log"; then
        fail "$name: the signature does not verify after the certificate expired"
        cat "$work/with-ts.log"
    fi
    grep -q 'Text description: Quenloft$' "$work/with-ts.log" || fail "$name: program name is not Quenloft"
    grep -q '^Message digest algorithm *: SHA256' "$work/with-ts.log" || fail "$name: digest is not SHA-256"
    if "${verify[@]}" -ignore-timestamp >"$work/without-ts.log" 2>&1 ||
        ! grep -q 'certificate has expired' "$work/without-ts.log"; then
        fail "$name: without its time stamp the signature did not fail as expired"
        cat "$work/without-ts.log"
    fi
}

check_published() {
    local name=$1
    [ "$(ls -A "$dist" | sort | tr '\n' ' ')" = "Quenloft.exe SHA256SUMS " ] ||
        fail "$name: dist/ holds: $(ls -A "$dist")"
    (cd "$dist" && sha256sum -c --quiet SHA256SUMS) || fail "$name: SHA256SUMS does not match"
    [ -z "$(staging_leftovers)" ] || fail "$name: staging left behind"
}

# $1 case name, then the environment.
check_release() {
    local name=$1
    shift
    echo "case: release with a $name"
    if ! env "$@" "$tree/scripts/release" >"$work/release.log" 2>&1; then
        fail "$name: the release failed"
        cat "$work/release.log"
        return 0
    fi
    check_published "$name"
    check_timestamp_carries_signature "$name" "$dist/Quenloft.exe"
}

# The PKCS#12 run gives no CA file, so the release can only check that a
# time-stamped signature is present; this test still checks the whole chain.
check_releases() {
    local tsa=(QUENLOFT_TSA_CERT="$pki/tsa.pem" QUENLOFT_TSA_KEY="$pki/tsa.key")
    local ca=(QUENLOFT_SIGN_CAFILE="$pki/ca.pem")
    check_release "PEM certificate" QUENLOFT_SIGN_CERT="$pki/code.pem" QUENLOFT_SIGN_KEY="$pki/code.key" \
        "${tsa[@]}" "${ca[@]}"
    check_failed_signing_keeps_release "${tsa[@]}" "${ca[@]}"
    check_release "PKCS#12 certificate" QUENLOFT_SIGN_PFX="$pki/code.pfx" QUENLOFT_SIGN_PASS="$pfx_pass" "${tsa[@]}"
}

# A key that does not belong to the certificate makes osslsigncode fail after
# the build: the release published before must stay as it was.
check_failed_signing_keeps_release() {
    local before
    echo "case: signing fails after the build"
    [ -f "$dist/SHA256SUMS" ] || return 0
    before=$(cat "$dist/SHA256SUMS")
    if env QUENLOFT_SIGN_CERT="$pki/code.pem" QUENLOFT_SIGN_KEY="$pki/tsa.key" "$@" "$tree/scripts/release" \
        >"$work/mismatch.log" 2>&1; then
        fail "mismatched key: the release went ahead"
    fi
    grep -q 'could not sign' "$work/mismatch.log" || fail "mismatched key: no signing failure reported"
    check_published "mismatched key"
    [ "$(cat "$dist/SHA256SUMS")" = "$before" ] || fail "mismatched key: the previous release was replaced"
}

check_runs_under_wine() {
    local exe=$1 pid window
    echo "case: the signed exe under Wine"
    ws_start_display
    ws_ensure_template "$wine_template"
    ws_use_fresh_prefix "$wine_template" "$work/prefix"
    # Plain wine, not ws_wine: $! must be the program's own process.
    LC_ALL=en_US.UTF-8 WINEDEBUG=-all wine "$exe" >/dev/null 2>&1 &
    pid=$!
    if ! window=$(ws_wait_window_of_pid "$pid" 60) || [ "$(xdotool getwindowname "$window")" != Quenloft ]; then
        fail "wine: the signed exe showed no window titled Quenloft"
        return 0
    fi
    if ! ws_close_with_escape "$pid"; then
        fail "wine: the signed exe did not end after Escape"
        return 0
    fi
    [ "$WS_EXIT_STATUS" -eq 0 ] || fail "wine: the signed exe exited with $WS_EXIT_STATUS, not 0"
}

forget_signing_environment
copy_tree
make_pki
check_refusals
check_releases
if [ -f "$dist/Quenloft.exe" ]; then
    check_runs_under_wine "$dist/Quenloft.exe"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "signed release checks passed"
