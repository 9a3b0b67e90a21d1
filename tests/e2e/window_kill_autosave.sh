#!/usr/bin/env bash
# The windowed life counter in a real X server (Xvfb), played with real
# clicks, is killed with SIGKILL 2.5 s after the last tap, with no chance to
# save on the way out: the next start finds the game as it was played.
source "$(dirname "$0")/common.bash"
command -v Xvfb >/dev/null || fail "Xvfb is missing (scripts/install-deps installs xvfb)"
command -v xdotool >/dev/null || fail "xdotool is missing (scripts/install-deps installs xdotool)"

exec 3> "$WORK/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp > "$WORK/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
trap 'kill "$xvfb" ${app:+"$app"} 2>/dev/null || true; wait 2>/dev/null; rm -rf "$WORK"' EXIT
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
[ -s "$WORK/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$WORK/display")"

H="$WORK/home"
QT_QPA_PLATFORM=xcb "$TOLVANE" --home "$H" 2> "$WORK/window.err" &
app=$!
wid=$(timeout 30 xdotool search --sync --name '^Tolvane$' | head -1) || fail "no window"
for _ in $(seq 300); do grep -q "viewDidLoad start!" "$WORK/window.err" && break; sleep 0.1; done

# Button centres in the window: the screen's frames, below the 20-point status bar.
click() { xdotool mousemove --window "$wid" "$1" "$2" click 1; sleep 0.15; }
inc0() { click 35 397; }
dec1() { click 285 354; }
inc0; inc0; inc0; dec1; dec1
sleep 2.5
kill -KILL "$app"
wait "$app" 2>/dev/null || true
app=

run_script after "$H" <<'SCRIPT'
launch
dump
SCRIPT
expect_ok after
check after <<'PY'
d = dumps[0]
eq([p["life"] for p in d["players"]], [23, 18], "totals as played before the kill")
eq([(e["name"], e["value"]) for e in d["log"]], [("Kim", 23), ("Lee", 18)], "the log as played")
PY
echo "window_kill_autosave: ok"
