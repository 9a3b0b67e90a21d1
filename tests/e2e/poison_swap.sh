#!/usr/bin/env bash
# Poison mode through the switch and the wheels, the side swap, the log flip
# and names typed by the player, as a player would drive them.
source "$(dirname "$0")/common.bash"

run_script poison "$WORK/home" <<'SCRIPT'
clock 2026-01-15T14:00:00
launch
name 0 Kim
name 1 Lee
tap buttonDec5Hp1
tap buttonInc1
tap buttonInc1
poison on
dump
advance 5
wheel 2 7
tap buttonSwapp
SCRIPT
[ "$RC" -eq 2 ] || fail "a misspelt control must be a script error, not ignored"
grep -q '^line 12: no button named' "$WORK/poison.err" || fail "unknown control message"
check poison <<'PY'
d = dumps[0]
eq(d["isPoison"], True, "poison on")
eq([c["rows"] for c in d["components"]], [36, 11, 11, 36], "four wheels")
eq([c["selected"] for c in d["components"]], [10, 10, 10, 13], "counts at 0, player 1 at 17")
eq([(p["life"], p["poison"]) for p in d["players"]], [(20, 0), (17, 0)], "lives kept, counts 0")
eq(d["console"][-1], " hp 17 30", "the switch logs player 1's life and column top")
PY

run_script flow "$WORK/home2" <<'SCRIPT'
clock 2026-01-15T14:00:00
launch
name 0 Kim
name 1 Lee
tap buttonDec5Hp1
tap buttonInc1
tap buttonInc1
poison on
advance 5
wheel 2 7
tap buttonSwap
dump
poison off
tap buttonSwap
tap buttonLogView
dump
SCRIPT
expect_ok flow
check flow <<'PY'
on, off = dumps
eq(on["players"][1]["poison"], 3, "player 1's count turned to 3")
last = on["log"][-1]
eq((last["time"], last["name"], last["value"]), ("2:00:05", "\u03c6 Lee", 3), "poison entry")
eq([p["name"] for p in on["players"]], ["Kim", "Lee"], "no swap in poison mode")
eq(off["isPoison"], False, "poison off")
eq([c["rows"] for c in off["components"]], [36, 36], "two wheels again")
eq([(p["name"], p["life"], p["poison"]) for p in off["players"]], [("Lee", 17, -1), ("Kim", 20, -1)], "sides swapped")
eq(off["frontViewVisible"], False, "log side showing")
eq(off["frames"]["logView"], [0, 0, 320, 211], "log view in the container")
lines = off["logText"].splitlines()
eq(lines[0], "2:00:05\t\u03c6 Lee\t3", "newest line first")
eq(len(lines), len(off["log"]), "one line per entry")
PY
echo "poison_swap: ok"
