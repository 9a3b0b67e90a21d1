#!/usr/bin/env bash
# adsutil from the shell: every command's output and exit status (0 success,
# 1 reported failure with the error on standard error, 2 bad usage).
# $1 is the tolvane binary (adsutil is looked for in the same build tree);
# $ADSUTIL, when set, names the adsutil binary directly.
set -uo pipefail

TOLVANE="${1:-}"
find_adsutil() {
    if [ -n "${ADSUTIL:-}" ]; then echo "$ADSUTIL"; return; fi
    [ -n "$TOLVANE" ] || return
    local dir
    dir="$(cd "$(dirname "$TOLVANE")" && pwd)"
    for candidate in "$dir/tools/adsutil/adsutil" "$dir/../tools/adsutil/adsutil" "$dir/../../tools/adsutil/adsutil"; do
        if [ -x "$candidate" ]; then echo "$candidate"; return; fi
    done
}
A="$(find_adsutil)"
if [ -z "$A" ] || [ ! -x "$A" ]; then
    echo "FAIL: adsutil not found (give its path in ADSUTIL, or build it beside $TOLVANE)" >&2
    exit 1
fi

WORK="$(mktemp -d "${TMPDIR:-/tmp}/adsutil-e2e-XXXXXX")"
trap 'rm -rf "$WORK"' EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export TOLVANE_HOME="$WORK/home"

FAILS=0
CHECKS=0
# check NAME EXPECTED_RC EXPECTED_STDOUT [STDIN] -- ARGS...
check() {
    local name="$1" want_rc="$2" want_out="$3" input="$4"
    shift 5
    local out rc
    out="$(printf '%s' "$input" | "$A" "$@" 2> "$WORK/err")"
    rc=$?
    CHECKS=$((CHECKS + 1))
    if [ "$rc" != "$want_rc" ] || [ "$out" != "$want_out" ]; then
        FAILS=$((FAILS + 1))
        echo "FAIL $name: exit $rc (want $want_rc), output [$out] (want [$want_out]), stderr: $(cat "$WORK/err")" >&2
    fi
}
# check_err NAME EXPECTED_STDERR_LINE [STDIN] -- ARGS...: the first line of standard error.
check_err() {
    local name="$1" want="$2" input="$3"
    shift 4
    printf '%s' "$input" | "$A" "$@" > /dev/null 2> "$WORK/err"
    CHECKS=$((CHECKS + 1))
    local got
    got="$(head -n 1 "$WORK/err")"
    if [ "$got" != "$want" ]; then
        FAILS=$((FAILS + 1))
        echo "FAIL $name: stderr [$got] (want [$want])" >&2
    fi
}

# JSON
check parse-sorted 0 '{"a":[true,null,0.1],"b":1}' '{"b":1, "a":[true, null, 0.1]}' -- json parse
check parse-exact 0 '[12345678901234567890.123456789,1e400]' '[12345678901234567890.123456789, 1e400]' -- json parse
check parse-fragment 0 '"xé"' '"x\u00e9"' -- json parse --fragment
check parse-scalar-refused 1 '' '42' -- json parse
check parse-broken 1 '' '[1,' -- json parse
check parse-depth-ok 0 '[[[1]]]' '[[[1]]]' -- json parse --max-depth 3
check parse-depth-over 1 '' '[[[[1]]]]' -- json parse --max-depth 3
check parse-bad-depth 2 '' '[]' -- json parse --max-depth lots
check write-human 0 "$(printf '{\n  "a" : 2,\n  "b" : {\n    "c" : 1\n  }\n}')" '{"b":{"c":1},"a":2}' -- json write --sort --human
check write-keeps-order 0 '{"b":1,"a":2}' '{"b":1,"a":2}' -- json write
check json-unknown 2 '' '' -- json mangle
# The exact message is the reader's; the line's form is ours.
printf '[1,' | "$A" json parse > /dev/null 2> "$WORK/err"
CHECKS=$((CHECKS + 1))
grep -Eq '^error [0-9]+: .+' "$WORK/err" || { FAILS=$((FAILS + 1)); echo "FAIL error-line: $(cat "$WORK/err")" >&2; }

# Encodings (RFC 4648 section 10 vectors)
check b64 0 'Zm9vYmFy' 'foobar' -- encode base64
check b64-pad 0 'Zm8=' 'fo' -- encode base64
check b64-nopad 0 'Zm8' 'fo' -- encode base64 --no-pad
check b64url 0 '-_8' $'\xfb\xff' -- encode base64url --no-pad
check b32 0 'MZXW6YQ=' 'foob' -- encode base32
check b32hex 0 'CPNMUOG=' 'foob' -- encode base32hex
check crockford 0 'CSQPY' 'foo' -- encode crockford
check hex 0 '666F6F' 'foo' -- encode hex
check binary 0 '0110011001101111' 'fo' -- encode binary
check empty 0 '' '' -- encode base64
check decode-b64 0 'foobar' $'Zm9vYmFy\n' -- decode base64
check decode-nopad 0 'fo' 'Zm8' -- decode base64
check decode-hex-lower 0 'foo' '666f6f' -- decode hex
check decode-crockford-lower 0 'foo' 'csqpy' -- decode crockford
# "O" reads as zero and "L" as one: compare as hex, since the bytes include NULs.
CHECKS=$((CHECKS + 1))
GOT="$(printf 'OOOOOOOL' | "$A" decode crockford | od -An -tx1 | tr -d ' \n')"
[ "$GOT" = "0000000001" ] || { FAILS=$((FAILS + 1)); echo "FAIL decode-crockford-synonyms: [$GOT]" >&2; }
check decode-after-padding 1 '' 'Zm8=Zm8=' -- decode base64
check decode-unknown 1 '' 'Zm9v!' -- decode base64
check decode-leftover-bits 1 '' 'Zm9=' -- decode base64
check encode-unknown-alphabet 2 '' 'x' -- encode base58
check decode-two-alphabets 2 '' 'x' -- decode hex base64

# URLs and numbers
check query 0 '{"a":"1"}' '' -- query 'A=1&b=2=3&c'
check query-escapes 0 '{"k y":"v&w"}' '' -- query 'k%20y=v%26w;;'
check param 0 'XYZ' '' -- param ai 'http://x.example/c?ai=XYZ&q=1'
check param-raw 0 'a%20b' '' -- param q 'http://x.example/c?ai=XYZ&q=a%20b'
check param-absent 1 '' '' -- param zz 'http://x.example/c?ai=XYZ'
check param-case 1 '' '' -- param AI 'http://x.example/c?ai=XYZ'
check append 0 'http://x.example/p?k=v&e=a%20b&z' '' -- append 'http://x.example/p?' k=v 'e=a b' z=
check append-query 0 'http://x.example/p?a=1&k=%2F' '' -- append 'http://x.example/p?a=1' k=/
check append-none 0 'http://x.example/p' '' -- append 'http://x.example/p'
check append-bad-pair 2 '' '' -- append 'http://x.example/p' novalue
check escape 0 'a%20b%26c%2F%C3%A9' '' -- escape 'a b&c/é'
check float-half 0 '0.5' '' -- float 0.5
check float-whole 0 '100' '' -- float 100
check float-zero 0 '0' '' -- float 0
check float-bad 2 '' '' -- float abc

# Location wire form: the ciphertext is checked against openssl in the unit tests;
# here the prefix, alphabet and determinism.
W1="$("$A" location --lat 48.8566 --lon 2.3522 --acc 25 --time 500000000.25)"
W2="$("$A" location --lat 48.8566 --lon 2.3522 --acc 25 --time 500000000.25)"
CHECKS=$((CHECKS + 1))
if [ "${W1:0:25}" != "e1+AGXNHQDKmjsAL2hZAZQ1d9" ] || [ "$W1" != "$W2" ] || [[ "${W1:3}" == *[=+/]* ]]; then
    FAILS=$((FAILS + 1)); echo "FAIL location-coordinates: [$W1]" >&2
fi
check location-desc 0 'a+cm9sZTogNiBwcm9kdWNlcjogMjQgaGlzdG9yaWNhbF9yb2xlOiAxIGhpc3RvcmljYWxfcHJvZHVjZXI6IDEyIHRpbWVzdGFtcDogMTMwMDAwMDAwMDUwMDAwMCBsb2M6ICJMeW9uICdjZW50cmUnIg' '' -- location --desc 'Lyon "centre"' --time 1300000000.5
check location-equator 1 '' '' -- location --lat 0 --lon 2 --acc 1 --time 1
check location-empty-desc 1 '' '' -- location --desc '' --time 1
check location-no-time 2 '' '' -- location --lat 1 --lon 2 --acc 3
check location-mixed 2 '' '' -- location --lat 1 --lon 2 --acc 3 --desc x --time 1
check_err location-message 'error: the location is not precise' '' -- location --lat 0 --lon 2 --acc 1 --time 1

# Device parameters
DEV="$("$A" device 2> "$WORK/err")"
RC=$?
CHECKS=$((CHECKS + 1))
if [ $RC -ne 0 ] || ! printf '%s' "$DEV" | python3 -c '
import json, re, sys
d = json.load(sys.stdin)
assert re.fullmatch(r"[0-9A-F]{32}", d["isu"]), d
assert d["u_so"] in ("p", "l") and d["u_w"] and d["u_h"], d
assert d["app_name"].endswith("iphone.org.tolvane.Tolvane") or "iphone." in d["app_name"], d
assert isinstance(d["ios_metadata"], dict), d
assert list(d) == sorted(d), "keys sorted"
'; then
    FAILS=$((FAILS + 1)); echo "FAIL device: exit $RC [$DEV] $(cat "$WORK/err")" >&2
fi

# Usage
check no-command 2 '' '' --
check unknown-command 2 '' '' -- frobnicate
HELP="$("$A" --help)"; RC=$?
CHECKS=$((CHECKS + 1))
if [ $RC -ne 0 ] || [[ "$HELP" != usage:* ]]; then FAILS=$((FAILS + 1)); echo "FAIL help" >&2; fi

echo "adsutil: $((CHECKS - FAILS))/$CHECKS checks passed" >&2
[ "$FAILS" -eq 0 ]
