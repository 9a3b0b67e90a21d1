#!/usr/bin/env bash
# The ad banner against the local ad network: a house ad shown, refreshes on
# the server's interval with the request counter counting up, one impression
# ping per ad shown, a click tracked, a failure on the console, and the game
# playable all the while. Without a server the banner gives up and the logo shows.
source "$(dirname "$0")/common.bash"

# No server first: nothing listens on the port common.bash names.
run_script noserver "$WORK/home0" <<'SCRIPT'
launch
waitfor banner 2 30
dump
advance 120
wait 0.3
dump
SCRIPT
expect_ok noserver
check noserver <<'PY'
failed, later = dumps
eq(failed["banner"], {"state": 2, "frame": [0, 0, 320, 50], "hidden": True, "preqs": 1,
                      "refreshSeconds": 0, "adURL": None, "refreshScheduled": False}, "core script failed, ad view hidden")
eq(failed["frames"]["pelkLogo"], [0, 0, 320, 48], "the logo lies under the banner")
eq([l for l in failed["console"] if l.startswith("<Ads>")], [], "a network failure is no console matter")
eq(later["banner"], failed["banner"], "no refresh without a refresh header")
PY

source "$(dirname "$0")/adserver.bash"
start_adserver
adserver "/__mode?refresh=20" > /dev/null

run_script ads "$WORK/home" <<'SCRIPT'
launch
tap buttonInc0
waitfor banner 6 30
dump
wheel 1 15
tap buttonDec0
advance 20
tap buttonInc1
dump
waitfor banner 6 30
dump
advance 20
waitfor banner 6 30
wait 2
dump
SCRIPT
expect_ok ads
adserver /stats > "$WORK/stats.json"
check ads <<'PY'
first, loading, second, third = dumps
stats = json.load(open(sys.argv[1].replace("ads.out", "stats.json")))
for d in (first, second, third):
    eq(d["banner"]["state"], 6, "ad shown")
    eq(d["banner"]["hidden"], False, "ad view shown")
    eq(d["banner"]["frame"], [0, 0, 320, 50], "portrait place")
    eq(d["banner"]["refreshSeconds"], 20, "the server's interval")
    eq(d["fullScreen"], [], "nothing full screen")
eq([d["banner"]["preqs"] for d in (first, second, third)], [1, 2, 3], "one request per load")
urls = [d["banner"]["adURL"] for d in (first, second, third)]
eq([u.split("ad=")[1].split("&")[0] for u in urls], ["pro", "dice", "mail"], "house ads in turn")
eq(["preqs=%d" % n in u for n, u in zip((1, 2, 3), urls)], [True] * 3, "the counter reached the server")
eq(loading["banner"]["state"] in (3, 4, 5), True, "the refresh is under way when the player taps")
# The game went on meanwhile.
eq(first["players"][0]["life"], 21, "+1 before the first ad")
eq(loading["players"][0]["life"], 20, "-1 during the wait")
eq(loading["players"][1]["life"], 16, "wheel to 15, then +1")
eq(third["players"], loading["players"], "nothing moved the game but the player")
# The network saw three ads built and shown, the core script fetched once,
# and one impression ping per ad.
eq(stats["hits"].get("core"), 1, "core script cached for the day")
eq(stats["hits"].get("banner"), 3, "three ads served")
eq(stats["tracking"].get("impression"), {"pro": 1, "dice": 1, "mail": 1}, "one impression each")
PY
# A click on the ad pings its click tracking; an ad the server rejects fails
# with the library's own console line, which the dump reports. The click
# comes right after the ad's load, before its first frame: clickad waits for
# it. The waits before the last dumps give the pings, which go out on their
# own, time to land even on a loaded machine.
adserver "/__reset" > /dev/null
adserver "/__mode?refresh=20&pin=pro" > /dev/null
run_script click "$WORK/home2" <<'SCRIPT'
launch
waitfor banner 6 30
clickad
wait 2
dump
SCRIPT
expect_ok click
adserver "/__mode?fail=400" > /dev/null
run_script rejected "$WORK/home2" <<'SCRIPT'
launch
waitfor banner 7 30
dump
SCRIPT
expect_ok rejected
adserver /stats > "$WORK/stats.json"
check click <<'PY'
stats = json.load(open(sys.argv[1].replace("click.out", "stats.json")))
eq(dumps[0]["banner"]["state"], 6, "still shown after the click")
eq(stats["tracking"].get("click"), {"pro": 1}, "one click ping")
PY
check rejected <<'PY'
d = dumps[0]
eq(d["banner"]["state"], 7, "rejected")
eq(d["banner"]["hidden"], True, "no ad to show")
eq("<Ads> Server rejected ad parameters.  Typically this is because the ad unit ID is incorrect." in d["console"],
   True, "the library's line reaches the dump")
PY
echo "banner: ok"
