#!/usr/bin/env bash
# The rotation policy and both layout tables, with the banner moved by the query.
source "$(dirname "$0")/common.bash"

run_script free "$WORK/home" <<'SCRIPT'
launch
rotate 4
dump
rotate 1
dump
rotate 2
dump
SCRIPT
expect_ok free
check free <<'PY'
land, port, upside = dumps
eq(land["interfaceOrientation"], 4, "turned to 4")
eq(land["statusBarOrientation"], 4, "status bar follows")
eq(land["console"][1:], ["landscape"], "the query logs landscape")
f = land["frames"]
for name, frame in {"bannerView_": [80, 250, 320, 50], "containerView": [80, 0, 320, 216],
                    "picker": [0, 0, 320, 216], "logView": [9999, 9999, 320, 216],
                    "nameField0": [0, 5, 80, 31], "nameField1": [400, 5, 80, 31],
                    "buttonDec5Hp0": [6, 45, 66, 42], "buttonInc5Hp0": [6, 174, 66, 42],
                    "buttonDec5Hp1": [408, 45, 66, 42], "buttonInc5Hp1": [408, 174, 66, 42],
                    "buttonDec0": [6, 88, 66, 42], "buttonInc0": [6, 131, 66, 42],
                    "buttonDec1": [408, 88, 66, 42], "buttonInc1": [408, 131, 66, 42],
                    "buttonDice": [2, 253, 76, 43], "buttonSwap": [353, 219, 46, 30],
                    "buttonFacebook": [307, 219, 30, 30], "buttonLogView": [421, 230, 46, 32],
                    "buttonReset": [417, 276, 60, 20], "pelkLogo": [80, 250, 320, 48],
                    "labelPoison0": [180, 219, 42, 21], "labelPoison1": [260, 219, 42, 21],
                    "labelPoisonSwitch": [20, 219, 54, 33], "switchPoison": [80, 219, 94, 27]}.items():
    eq(f[name], frame, "landscape " + name)
eq(port["interfaceOrientation"], 1, "back to portrait")
eq(port["frames"]["bannerView_"], [0, 0, 320, 50], "banner back on top")
eq(port["frames"]["containerView"], [0, 83, 320, 216], "container at y 83 after a rotation")
eq(port["frames"]["logView"], [9999, 0, 320, 216], "log view parked in portrait")
eq(port["frames"]["buttonInc1"], [253, 356, 66, 42], "portrait table")
eq(port["console"], [], "no landscape line for portrait")
eq(upside["interfaceOrientation"], 2, "upside down accepted")
eq(upside["frames"]["containerView"], [0, 83, 320, 216], "upside down uses the portrait table")
PY

# Landscape at start: only 3 is accepted and every query moves the banner.
run_script fixed "$WORK/home2" <<'SCRIPT'
settings isLandscapeAtStart=YES
launch
dump
rotate 4
dump
rotate 3
dump
SCRIPT
expect_ok fixed
check fixed <<'PY'
start, refused, accepted = dumps
eq(start["statusBarOrientation"], 3, "status bar turned at start")
# The player holds the device as the status bar asks; the screen follows.
eq(start["interfaceOrientation"], 3, "landscape-right from the start")
eq(start["frames"]["containerView"], [80, 0, 320, 216], "landscape table at start")
eq(start["frames"]["bannerView_"], [80, 250, 320, 50], "banner at the bottom at start")
eq(refused["interfaceOrientation"], 3, "4 refused")
eq(refused["frames"]["bannerView_"], [80, 250, 320, 50], "banner at its landscape place")
eq(accepted["interfaceOrientation"], 3, "3 accepted")
eq(accepted["frames"]["containerView"], [80, 0, 320, 216], "landscape table")
PY

# With the log showing, a rotation keeps the log view inside the container.
run_script flipped "$WORK/home3" <<'SCRIPT'
launch
tap buttonLogView
rotate 3
dump
SCRIPT
expect_ok flipped
check flipped <<'PY'
eq(dumps[0]["frontViewVisible"], False, "log side showing")
eq(dumps[0]["frames"]["logView"], [0, 0, 320, 216], "log view kept in place")
PY
echo "rotation: ok"
