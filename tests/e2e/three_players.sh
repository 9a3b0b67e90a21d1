#!/usr/bin/env bash
# The layout for three or more players: frames, titles, the "Dice" button
# with distinct results, "All +1", and a screen that never rotates.
source "$(dirname "$0")/common.bash"

run_script four "$WORK/home" <<'SCRIPT'
settings numPlayers=4 diceFaceType=6
launch
dump
tap dice
tap buttonInc0
rotate 3
dump
SCRIPT
expect_ok four
check four <<'PY'
d, after = dumps
f = d["frames"]
eq(d["numPlayers"], 4, "players")
eq(len(d["components"]), 4, "one wheel per player")
eq([c["rows"] for c in d["components"]], [36, 36, 30, 30], "rows per column")
eq([c["selected"] for c in d["components"]], [10, 10, 10, 10], "20 selected everywhere")
eq([x["life"] for x in d["players"]], [20] * 4, "lives")
eq([x["name"] for x in d["players"]][2:], ["Orrin", "Ajani"], "default names")
eq([f["nameField%d" % i] for i in range(4)], [[x, 75, 84, 40] for x in (3, 78, 153, 228)], "name fields")
eq([f["labelRandom%d" % i] for i in range(4)], [[x, 353, 40, 40] for x in (23, 98, 173, 248)], "dice labels")
eq(f["buttonDec0"], [2, 395, 66, 61], "All -1")
eq(f["buttonInc0"], [70, 395, 66, 61], "All +1")
eq(f["buttonLogView"], [151, 402, 50, 50], "log button")
eq(f["dice"], [203, 402, 50, 50], "Dice button")
eq(f["containerView"], [0, 138, 320, 216], "container")
for name in ("buttonDec1", "buttonInc1", "buttonSwap", "buttonDice", "buttonDec5Hp0", "buttonInc5Hp1"):
    eq(f[name][0], 9999, name + " parked")
eq(f["switchPoison"][0], 9999, "no poison mode for more than two players")
eq(d["titles"]["buttonDec0"], "All -1", "title")
eq(d["titles"]["buttonInc0"], "All +1", "title")
eq(d["titles"]["dice"], "Dice", "title")
rolls = after["diceLabels"]
eq(len(rolls), 4, "one result per player")
if not all(r.isdigit() and 1 <= int(r) <= 6 for r in rolls) or len(set(rolls)) != 4:
    failures.append("four distinct faces of 1..6 expected, got %r" % rolls)
eq([x["life"] for x in after["players"]], [21] * 4, "All +1 raises everyone")
eq(after["interfaceOrientation"], 1, "no rotation with four players")
eq(after["frames"]["bannerView_"], f["bannerView_"], "banner not moved by a refused query")
eq(after["frames"]["containerView"], [0, 138, 320, 216], "layout kept")
eq(len(after["log"]), 4, "one entry per player")
PY

# Stored values far outside the offered range (a hand-edited store; neither
# --set nor a script stores them) must neither freeze nor crash.
"$TOLVANE" --home "$WORK/home2" --set diceFaceType=2147483647
python3 - "$WORK"/home2/Library/Preferences/*.plist <<'PY'
import plistlib, sys
with open(sys.argv[1], "rb") as f:
    prefs = plistlib.load(f)
prefs["numPlayers"] = 100000
with open(sys.argv[1], "wb") as f:
    plistlib.dump(prefs, f)
PY
run_script extreme "$WORK/home2" <<'SCRIPT'
launch
tap dice
dump
SCRIPT
expect_ok extreme
check extreme <<'PY'
d = dumps[0]
eq(d["numPlayers"], 12, "numPlayers limited to 12")
eq(len(d["components"]), 12, "twelve wheels")
if len(set(d["diceLabels"])) != 12:
    failures.append("twelve distinct results expected, got %r" % d["diceLabels"])
PY
echo "three_players: ok"
