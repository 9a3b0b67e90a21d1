#!/usr/bin/env bash
# Resets with their alerts, rounds, the timer title after virtual time, and
# the log's time format and merge window.
source "$(dirname "$0")/common.bash"

run_script reset "$WORK/home" <<'SCRIPT'
clock 2026-01-15T14:05:09
launch
tap buttonInc0
advance 1
tap buttonInc0
advance 4
tap buttonInc0
tap buttonLogView
dump
reset
dump
alert 0
dump
reset
alert 1
advance 65
dump
hardreset
dump
alert 1
advance 1
dump
SCRIPT
expect_ok reset
check reset <<'PY'
logged, asking, cancelled, next_round, hard, restarted = dumps
eq([(e["time"], e["name"], e["value"]) for e in logged["log"]],
   [("2:05:10", "Kim", 22), ("2:05:14", "Kim", 23)], "merged within 3 s, then a new entry")
eq(logged["logText"], "2:05:14\tKim\t23\n2:05:10\tKim\t22\n", "newest line first")
eq(logged["frontViewVisible"], False, "log side showing")
eq(asking["alert"], {"title": "Reset", "message": "Reset life and go to next round?", "buttons": ["Cancel", "OK"]}, "reset alert")
eq(cancelled["alert"], None, "alert gone")
eq(cancelled["gameRound"], 1, "cancel keeps the round")
eq(cancelled["players"][0]["life"], 23, "cancel keeps the life")
eq(next_round["gameRound"], 2, "round 2")
eq(next_round["players"][0]["life"], 20, "life back to 20")
eq(next_round["log"], [], "log emptied")
eq(next_round["logText"], "", "log text emptied")
eq(next_round["frontViewVisible"], True, "back to the picker side")
eq(next_round["titles"]["buttonReset"], "R2 01:10", "time runs on through the rounds")
eq(hard["alert"], {"title": "Hard Reset", "message": "Reset the game?", "buttons": ["Cancel", "OK"]}, "hard reset alert")
eq(restarted["gameRound"], 1, "a hard reset starts round 1")
eq(restarted["titles"]["buttonReset"], "R1 00:01", "and the time from zero")
PY

# Without the question, a reset runs at once; the hard reset still asks.
run_script noask "$WORK/home2" <<'SCRIPT'
settings isAskBeforeReset=NO
launch
reset
dump
hardreset
dump
SCRIPT
expect_ok noask
check noask <<'PY'
eq(dumps[0]["alert"], None, "no question")
eq(dumps[0]["gameRound"], 2, "reset ran")
eq(dumps[1]["alert"]["title"], "Hard Reset", "hard reset asks")
PY
echo "reset_flow: ok"
