#!/usr/bin/env bash
# A first start with an empty settings store and no saved game: the start-up's
# frames, titles, settings effects and the fresh round 1.
source "$(dirname "$0")/common.bash"

run_script startup "$WORK/home" <<'SCRIPT'
launch
dump
advance 1
dump
SCRIPT
expect_ok startup
check startup <<'PY'
d = dumps[0]
f = d["frames"]
eq(f["bannerView_"], [0, 0, 320, 50], "banner")
eq(f["containerView"], [0, 80, 320, 216], "container starts at y 80")
eq(f["picker"], [0, 0, 320, 216], "picker")
eq(f["logView"], [9999, 9999, 320, 216], "log view parked")
for name, frame in {"buttonDec5Hp0": [69, 313, 66, 42], "buttonDec5Hp1": [185, 313, 66, 42],
                    "buttonInc5Hp0": [69, 356, 66, 42], "buttonInc5Hp1": [185, 356, 66, 42],
                    "buttonDec0": [2, 313, 66, 42], "buttonDec1": [252, 313, 66, 42],
                    "buttonInc0": [2, 356, 66, 42], "buttonInc1": [253, 356, 66, 42],
                    "buttonDice": [137, 313, 46, 42], "buttonSwap": [137, 361, 46, 42],
                    "nameField0": [0, 48, 160, 31], "nameField1": [160, 48, 160, 31],
                    "pelkLogo": [0, 0, 320, 48]}.items():
    eq(f[name], frame, name)
eq(d["numPlayers"], 2, "players")
eq(d["gameRound"], 1, "a fresh game is round 1")
eq(d["frontViewVisible"], True, "picker side showing")
eq(d["isPoison"], False, "poison off")
eq([(c["rows"], c["selected"], c["text"]) for c in d["components"]], [(36, 10, "20")] * 2, "wheels")
eq(d["columns"], [{"max": 30, "min": -5}] * 2, "columns")
eq([(p["life"], p["poison"]) for p in d["players"]], [(20, -1)] * 2, "players")
eq(d["log"], [], "empty log")
eq(d["titles"]["buttonDice"], "D20 x2", "dice title")
eq(d["idleTimerDisabled"], True, "idle timer off by default")
eq(d["statusBarOrientation"], 1, "status bar")
eq(d["interfaceOrientation"], 1, "interface")
eq(d["alert"], None, "no alert")
eq(d["console"], ["viewDidLoad start!"], "console")
eq(d["openedURLs"], [], "nothing opened")
eq(dumps[1]["titles"]["buttonReset"], "R1 00:01", "first tick")
eq(dumps[1]["secordOfTimer"], 1, "one second")
eq(dumps[1]["console"], [], "console lines are reported once")
PY

# Settings change what the start-up builds.
run_script settings "$WORK/home2" <<'SCRIPT'
settings is5hp=NO isThrow2Dices=NO diceFaceType=6 isAlwaysOn=NO
launch
dump
tap buttonDice
dump
tap buttonFacebook
dump
SCRIPT
expect_ok settings
check settings <<'PY'
d = dumps[0]
f = d["frames"]
for name in ("buttonDec5Hp0", "buttonDec5Hp1", "buttonInc5Hp0", "buttonInc5Hp1"):
    eq(f[name][0], 9999, name + " parked")
eq(f["buttonDec0"], [2, 313, 132, 42], "double -1")
eq(f["buttonInc0"], [2, 356, 132, 42], "double +1")
eq(f["buttonDec1"], [186, 313, 132, 42], "double -1 right")
eq(f["buttonInc1"], [187, 356, 132, 42], "double +1 right")
eq(d["titles"]["buttonDice"], "D6 Dice", "one die title")
eq(d["fontSizes"]["buttonDice"], 8, "small dice font")
eq(d["idleTimerDisabled"], False, "idle timer left on")
t = dumps[1]["titles"]["buttonDice"]
if not t.isdigit() or not 1 <= int(t) <= 6:
    failures.append("one die shows 1..6, got %r" % t)
eq(dumps[1]["titleColors"]["buttonDice"], "#ff0000", "thrown dice are red")
eq(dumps[1]["fontSizes"]["buttonDice"], 30, "one die at 30 points")
eq(len(dumps[2]["openedURLs"]), 1, "social page opened")
PY
echo "startup_portrait: ok"
