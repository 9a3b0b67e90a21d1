#!/usr/bin/env bash
# The game is saved on entering the background and on termination and comes
# back at the next launch; damaged saved games are kept aside, not lost.
source "$(dirname "$0")/common.bash"

HOME1="$WORK/home"
run_script play "$HOME1" <<'SCRIPT'
clock 2026-01-15T09:30:00
launch
name 0 Orrin
name 1 Ajani
tap buttonDec5Hp1
advance 10
wheel 0 0
dump
background
SCRIPT
expect_ok play
[ -f "$HOME1/Documents/data.plist" ] || fail "no saved game after background"

run_script again "$HOME1" <<'SCRIPT'
launch
dump
terminate
SCRIPT
expect_ok again
check again <<'PY'
d = dumps[0]
eq([p["name"] for p in d["players"]], ["Orrin", "Ajani"], "names restored")
eq([p["life"] for p in d["players"]], [30, 15], "totals restored")
eq(d["components"][0]["selected"], 10, "a restored 30 sits ten rows below the top")
eq(d["columns"][0]["max"], 40, "with a margin of ten above")
eq([(e["time"], e["name"], e["value"]) for e in d["log"]],
   [("9:30:00", "Ajani", 15), ("9:30:10", "Orrin", 30)], "log restored")
eq(d["gameRound"], 0, "a restored game waits for the next reset")
eq(d["alert"], None, "no question")
PY

# Terminating writes the same game the next launch reads.
run_script third "$HOME1" <<'SCRIPT'
launch
dump
SCRIPT
expect_ok third
check third <<'PY'
eq([p["life"] for p in dumps[0]["players"]], [30, 15], "unchanged through termination")
PY

# A different player count: names kept, totals and log not restored, Reset asks.
run_script three "$HOME1" <<'SCRIPT'
settings numPlayers=3
launch
dump
SCRIPT
expect_ok three
check three <<'PY'
d = dumps[0]
eq([p["name"] for p in d["players"]], ["Orrin", "Ajani", "Orrin"], "first two names restored, third default")
eq([p["life"] for p in d["players"]], [30, 30, 30], "no totals restored before the reset")
eq(d["alert"]["message"], "Reset life and go to next round?", "Reset asks")
PY

# Not a property list at all.
HOME2="$WORK/damaged"
mkdir -p "$HOME2/Documents"
printf 'this is not a saved game\n' > "$HOME2/Documents/data.plist"
run_script damaged "$HOME2" <<'SCRIPT'
settings isAskBeforeReset=NO
launch
dump
SCRIPT
expect_ok damaged
check damaged <<'PY'
d = dumps[0]
eq(d["gameRound"], 1, "reset ran")
eq([p["life"] for p in d["players"]], [20, 20], "fresh totals")
PY
[ -f "$HOME2/Documents/data.plist.damaged.1" ] || fail "damaged file not kept aside"
grep -q "this is not a saved game" "$HOME2/Documents/data.plist.damaged.1" || fail "damaged file changed"
[ ! -f "$HOME2/Documents/data.plist" ] || fail "damaged file still in place before any save"

# Readable but malformed: the header announces more than the file holds.
HOME3="$WORK/short"
mkdir -p "$HOME3/Documents"
cat > "$HOME3/Documents/data.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<array>
	<string>2</string>
	<string>Mallory</string>
	<string>Trent</string>
	<string>20</string>
</array>
</plist>
PLIST
cp "$HOME3/Documents/data.plist" "$WORK/short.orig"
run_script short "$HOME3" <<'SCRIPT'
launch
dump
alert 1
background
SCRIPT
expect_ok short
check short <<'PY'
d = dumps[0]
if "Mallory" in [p["name"] for p in d["players"]]:
    failures.append("names restored from a malformed file")
eq(d["alert"]["title"], "Reset", "Reset runs and asks")
PY
cmp -s "$HOME3/Documents/data.plist.damaged.1" "$WORK/short.orig" || fail "malformed file not kept as it was"
[ -f "$HOME3/Documents/data.plist" ] || fail "the new game was not saved"
echo "save_restore: ok"
