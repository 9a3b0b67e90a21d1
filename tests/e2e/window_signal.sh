#!/usr/bin/env bash
# The windowed life counter (on the offscreen platform) ends cleanly on
# SIGTERM and saves the game on the way out, as the desktop's logout would.
source "$(dirname "$0")/common.bash"

# Starts the window with home $1 (stderr into $2), waits for its screen, sends
# SIGTERM and sets `rc` to its exit status.
terminate_window() {
    "$TOLVANE" --home "$1" 2> "$2" &
    local pid=$!
    for _ in $(seq 300); do
        grep -q "viewDidLoad start!" "$2" 2>/dev/null && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    grep -q "viewDidLoad start!" "$2" || { kill -KILL "$pid" 2>/dev/null; fail "the window did not start: $(cat "$2")"; }
    kill -TERM "$pid"
    set +e
    wait "$pid"
    rc=$?
    set -e
}

H="$WORK/home"
terminate_window "$H" "$WORK/window.err"
[ "$rc" -eq 0 ] || fail "exit status $rc after SIGTERM (143 means the signal was not handled)"
[ -f "$H/Documents/data.plist" ] || fail "no saved game after SIGTERM"
grep -q "<string>2</string>" "$H/Documents/data.plist" || fail "saved game lacks its header"

# A save that cannot be made on the way out (no documents folder can be made
# where a file stands) is no clean end: exit 1, with the reason on stderr.
H2="$WORK/home2"
mkdir -p "$H2"
: > "$H2/Documents"
terminate_window "$H2" "$WORK/window2.err"
[ "$rc" -eq 1 ] || fail "exit status $rc after SIGTERM with a save that failed"
grep -q "Could not save the game" "$WORK/window2.err" || fail "no reason given: $(cat "$WORK/window2.err")"
grep -q "the game's last changes could not be saved" "$WORK/window2.err" || fail "no final word on the lost save"
echo "window_signal: ok"
