#!/usr/bin/env bash
# The command line: --version, --help, --set with its checks, script errors
# with their line numbers, a screenshot without a script, and no display.
source "$(dirname "$0")/common.bash"

expect_rc() { # expected-rc description command...
    local want="$1" what="$2"; shift 2
    set +e
    "$@" > "$WORK/cmd.out" 2> "$WORK/cmd.err"
    local got=$?
    set -e
    [ "$got" -eq "$want" ] || { cat "$WORK/cmd.err" >&2; fail "$what: exit $got, expected $want"; }
}

expect_rc 0 "--version" "$TOLVANE" --version
grep -Eq '^tolvane [0-9]+\.[0-9]+\.[0-9]+$' "$WORK/cmd.out" || fail "--version prints $(cat "$WORK/cmd.out")"
expect_rc 0 "--help" "$TOLVANE" --help
grep -q -- "--script" "$WORK/cmd.out" || fail "--help does not mention --script"
expect_rc 2 "unknown option" "$TOLVANE" --frobnicate
grep -q "unknown option --frobnicate" "$WORK/cmd.err" || fail "unknown option message"

# --set writes the store; the next launch reads it.
H="$WORK/home"
expect_rc 0 "--set" "$TOLVANE" --home "$H" --set numPlayers=3 --set is5hp=NO --set isAlwaysOn=false
PREFS="$(ls "$H"/Library/Preferences/*.plist)"
grep -q "<key>numPlayers</key>" "$PREFS" || fail "numPlayers not stored"
python3 - "$PREFS" <<'PY' || fail "stored types"
import re, sys
text = open(sys.argv[1]).read()
def stored(key):
    m = re.search(r"<key>%s</key>\s*(<integer>[^<]*</integer>|<string>[^<]*</string>|<true/>|<false/>)" % key, text)
    return m and m.group(1)
assert stored("numPlayers") == "<integer>3</integer>", stored("numPlayers")
assert stored("is5hp") == "<false/>", stored("is5hp")
assert stored("isAlwaysOn") == "<false/>", stored("isAlwaysOn")
PY
run_script read "$H" <<'SCRIPT'
launch
dump
SCRIPT
expect_ok read
check read <<'PY'
eq(dumps[0]["numPlayers"], 3, "setting read at launch")
eq(dumps[0]["idleTimerDisabled"], False, "isAlwaysOn=false read")
PY

# A bad assignment changes nothing, even the good ones beside it.
cp "$PREFS" "$WORK/prefs.before"
for bad in "colour=red" "numPlayers=abc" "numPlayers=1" "numPlayers=13" "is5hp=maybe" "diceFaceType=0" "numPlayers"; do
    expect_rc 2 "--set $bad" "$TOLVANE" --home "$H" --set diceFaceType=8 --set "$bad"
    grep -q "tolvane: --set" "$WORK/cmd.err" || fail "--set $bad gives no message"
done
cmp -s "$PREFS" "$WORK/prefs.before" || fail "a refused --set changed the store"

# A script's settings command refuses what --set refuses, in the same words,
# and the words give the range the counter really uses.
for bad in "numPlayers=13" "diceFaceType=0" "numPlayers=-2147483648"; do
    expect_rc 2 "--set $bad" "$TOLVANE" --home "$H" --set "$bad"
    set_says="$(sed -n "s/^tolvane: --set $bad: //p" "$WORK/cmd.err")"
    printf 'settings %s\nlaunch\n' "$bad" > "$WORK/bad-setting.txt"
    expect_rc 2 "settings $bad" "$TOLVANE" --home "$H" --script "$WORK/bad-setting.txt"
    script_says="$(sed -n 's/^line 1: //p' "$WORK/cmd.err")"
    [ -n "$set_says" ] && [ "$set_says" = "$script_says" ] || fail "--set says '$set_says', the script says '$script_says'"
done
grep -q "numPlayers takes a whole number from 2 to 12" <<< "$(expect_rc 2 x "$TOLVANE" --home "$H" --set numPlayers=99; cat "$WORK/cmd.err")" \
    || fail "the message does not give the real range"
cmp -s "$PREFS" "$WORK/prefs.before" || fail "a refused setting changed the store"

# --set beside a script is written only once the script is read and checked:
# a faulty or missing script leaves the store as it was; a good one sees it.
printf 'launch\njump\n' > "$WORK/bad-script.txt"
expect_rc 2 "--set with a faulty script" "$TOLVANE" --home "$H" --set numPlayers=5 --script "$WORK/bad-script.txt"
expect_rc 1 "--set with a missing script" "$TOLVANE" --home "$H" --set numPlayers=5 --script "$WORK/no-such-script.txt"
cmp -s "$PREFS" "$WORK/prefs.before" || fail "--set was written for a script that never ran"
set +e
"$TOLVANE" --home "$H" --set numPlayers=5 --script "$WORK/read.txt" > "$WORK/setscript.out" 2> "$WORK/setscript.err"
RC=$?
set -e
expect_ok setscript
check setscript <<'PY'
eq(dumps[0]["numPlayers"], 5, "--set reaches the script")
PY
grep -A1 "<key>numPlayers</key>" "$PREFS" | grep -q "<integer>5</integer>" || fail "--set beside a good script was not stored"

# Script errors name their line and stop with 2.
run_script unknown "$WORK/h2" <<'SCRIPT'
launch
# a comment
jump
SCRIPT
[ "$RC" -eq 2 ] || fail "unknown command exit $RC"
grep -q '^line 3: unknown command "jump"' "$WORK/unknown.err" || fail "unknown command message: $(cat "$WORK/unknown.err")"
[ ! -s "$WORK/unknown.out" ] || fail "a faulty script ran"

run_script early "$WORK/h3" <<'SCRIPT'
tap buttonInc0
SCRIPT
[ "$RC" -eq 2 ] || fail "tap before launch exit $RC"
grep -q '^line 1: ' "$WORK/early.err" || fail "tap before launch message"

run_script badarg "$WORK/h4" <<'SCRIPT'
launch
rotate 7
SCRIPT
[ "$RC" -eq 2 ] || fail "bad argument exit $RC"
grep -q '^line 2: rotate' "$WORK/badarg.err" || fail "bad argument message"

expect_rc 1 "missing script file" "$TOLVANE" --script "$WORK/no-such-script.txt"
# A script is read up to 4 MiB; a longer one (or an endless stream) is refused unread.
head -c 4194305 /dev/zero | tr '\0' '#' > "$WORK/huge-script.txt"
expect_rc 1 "a script over 4 MiB" "$TOLVANE" --home "$WORK/h1" --script "$WORK/huge-script.txt"
grep -q "cannot read the script .*4 MiB" "$WORK/cmd.err" || fail "oversized script message: $(cat "$WORK/cmd.err")"

# A script without --home runs in a temporary home: its --set and settings
# reach the script, and the player's own settings file is never written.
PLAYER="$WORK/player"
set +e
env -u TOLVANE_HOME XDG_DATA_HOME="$PLAYER" HOME="$PLAYER" "$TOLVANE" --set numPlayers=3 --script "$WORK/read.txt" > "$WORK/tmphome.out" 2> "$WORK/tmphome.err"
RC=$?
set -e
expect_ok tmphome
check tmphome <<'PY'
eq(len(dumps[0]["players"]), 3, "the script sees its --set")
PY
[ -z "$(find "$PLAYER" -name '*.plist' 2>/dev/null)" ] || fail "a script without --home wrote the player's settings"
expect_rc 2 "bad --set with a temporary home" env -u TOLVANE_HOME XDG_DATA_HOME="$PLAYER" HOME="$PLAYER" "$TOLVANE" --set numPlayers=99 --script "$WORK/read.txt"

# A home that is a file cannot hold a saved game: refused before anything runs.
printf 'x' > "$WORK/plainfile"
expect_rc 1 "home is a file" "$TOLVANE" --home "$WORK/plainfile" --script "$WORK/read.txt"
grep -q "cannot use" "$WORK/cmd.err" || fail "home folder message"

# A screenshot without a script launches, renders and exits.
expect_rc 0 "--screenshot" "$TOLVANE" --home "$WORK/h5" --screenshot "$WORK/shot.png"
python3 - "$WORK/shot.png" <<'PY' || fail "screenshot is not a 320 x 480 PNG"
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n"
w, h = struct.unpack(">II", data[16:24])
assert (w, h) in ((320, 480), (640, 960)), (w, h)
PY

# A file name that is not UTF-8 would be written under another name: refused
# before anything runs, from the command line as from a script.
mkdir -p "$WORK/shots"
BADNAME="$(printf '%s/shots/bad\377.png' "$WORK")"
expect_rc 2 "--screenshot not UTF-8" "$TOLVANE" --home "$WORK/h5" --screenshot "$BADNAME"
LC_ALL=C grep -aq -- "--screenshot .*not valid UTF-8" "$WORK/cmd.err" || fail "--screenshot not UTF-8 message: $(cat "$WORK/cmd.err")"
printf 'launch\nscreenshot %s\n' "$BADNAME" > "$WORK/badshot.txt"
expect_rc 2 "screenshot not UTF-8" "$TOLVANE" --home "$WORK/h5" --script "$WORK/badshot.txt"
grep -aq "^line 2: screenshot file name is not valid UTF-8" "$WORK/cmd.err" || fail "screenshot not UTF-8 message: $(cat "$WORK/cmd.err")"
[ -z "$(ls -A "$WORK/shots")" ] || fail "a refused screenshot was written: $(ls "$WORK/shots")"

# Without a display the window cannot open: a message and exit 1, no crash.
expect_rc 1 "no display" env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$TOLVANE" --home "$WORK/h6"
grep -q "no display" "$WORK/cmd.err" || fail "no display message"
grep -q -- "--screenshot" "$WORK/cmd.err" || fail "no display message suggests nothing"
expect_rc 1 "no display for settings" env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$TOLVANE" --settings --home "$WORK/h6"
# --set before --settings: the setting is written, then the settings window
# gets the display the desktop has (here none: the message and 1, at once,
# not a window nobody can see).
expect_rc 1 "--set with --settings, no display" timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    "$TOLVANE" --home "$WORK/h7" --set numPlayers=4 --settings
grep -q "no display" "$WORK/cmd.err" || fail "--set --settings without a display: $(cat "$WORK/cmd.err")"
grep -A1 "<key>numPlayers</key>" "$WORK"/h7/Library/Preferences/*.plist | grep -q "<integer>4</integer>" \
    || fail "--set before --settings was not applied"
echo "cli: ok"
