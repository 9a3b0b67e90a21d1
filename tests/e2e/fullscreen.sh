#!/usr/bin/env bash
# A click on each kind of house ad against the local ad network: the in-app
# browser (dice), a web app (pro, which has click tracking) and the mail
# composer (mail). Each takes the screen over the game with the status bar
# hidden and the banner's refresh suspended, and gives it back with the refresh
# starting a full interval again. Items that are not there cannot be tapped.
# Each click comes right after the ad's load; clickad waits for the page's
# first frame, before which the engine drops input.
source "$(dirname "$0")/common.bash"
source "$(dirname "$0")/adserver.bash"
start_adserver

# The browser: 20 of the 30 seconds pass before the click, 40 more while it
# is up; after Done the next ad comes a whole 30 seconds later.
adserver "/__mode?refresh=30&pin=dice" > /dev/null
run_script browser "$WORK/home1" <<'SCRIPT'
launch
waitfor banner 6 30
advance 20
clickad
waitfor fullscreen browser 30
dump
advance 40
tap reload
waitfor fullscreen browser 30
tap safari
rotate 3
dump
rotate 1
tap done
dump
advance 29
dump
advance 1
waitfor banner 6 30
dump
SCRIPT
expect_ok browser
check browser <<'PY'
up, later, back, waiting, refreshed = dumps
landing = up["banner"]["adURL"].split("/ads/")[0] + "/landing/browser?ad=dice"
eq(up["fullScreen"], [{"kind": "browser", "url": landing, "loading": False, "orientations": [1, 2, 3, 4],
                       "enabled": ["reload", "safari", "done"]}], "the landing page in the browser")
eq(up["statusBarHidden"], True, "over the status bar")
eq(up["banner"]["refreshScheduled"], False, "no refresh under full-screen content")
eq(later["banner"]["preqs"], 1, "40 seconds later, still the first ad")
eq(later["openedURLs"], [landing], "View in Safari hands the page to the desktop")
eq(later["interfaceOrientation"], 3, "the ad allows every orientation")
eq(back["fullScreen"], [], "Done brings the game back")
eq(back["statusBarHidden"], False, "and the status bar")
eq(back["banner"]["refreshScheduled"], True, "the refresh resumes")
eq(waiting["banner"]["preqs"], 1, "29 seconds after Done: no new ad yet")
eq(refreshed["banner"]["preqs"], 2, "30 seconds after Done: the next ad")
PY

# The web app hears "onshow" once it has loaded and appeared; its close button
# brings the game back. A rotation its ad does not allow is refused.
adserver "/__reset" > /dev/null
adserver "/__mode?refresh=30&pin=pro" > /dev/null
run_script webapp "$WORK/home2" <<'SCRIPT'
launch
waitfor banner 6 30
clickad
waitfor fullscreen webapp 30
wait 0.3
dump
tap close
dump
SCRIPT
expect_ok webapp
adserver /stats > "$WORK/stats.json"
check webapp <<'PY'
up, back = dumps
stats = json.load(open(sys.argv[1].replace("webapp.out", "stats.json")))
entry = up["fullScreen"][0]
eq(entry["kind"], "webapp", "a web app")
eq(entry["url"].endswith("/landing/webapp?ad=pro"), True, "its landing page")
eq(entry["shown"], True, "the page was told onshow")
eq(entry["loading"], False, "loaded")
eq(back["fullScreen"], [], "the close button brings the game back")
eq(back["banner"]["refreshScheduled"], True, "the refresh resumes")
eq(stats["tracking"].get("click"), {"pro": 1}, "the click was tracked")
eq(stats["hits"].get("landing_webapp"), 1, "the landing page loaded once")
PY

# The mail ad opens our composer with the address and subject of its mailto
# link; Send hands the message to the desktop's mail program.
adserver "/__mode?refresh=30&pin=mail" > /dev/null
run_script mail "$WORK/home3" <<'SCRIPT'
launch
waitfor banner 6 30
clickad
waitfor fullscreen composer 10
dump
composer send
dump
SCRIPT
expect_ok mail
check mail <<'PY'
up, back = dumps
eq(up["fullScreen"], [{"kind": "composer", "to": ["feedback@tolvane.org"], "cc": [], "bcc": [],
                       "subject": "Tolvane feedback", "body": ""}], "the composer from the mailto link")
eq(back["fullScreen"], [], "sent and gone")
eq(back["openedURLs"], ["mailto:feedback@tolvane.org?subject=Tolvane%20feedback"], "one mailto URL to the desktop")
PY

# What is not on top, or not enabled, cannot be pressed: script errors.
adserver "/__mode?refresh=30&pin=dice" > /dev/null
for case in "tap back|the browser's back item is not shown enabled" \
            "tap buttonInc0|full-screen content covers the game (close it first)" \
            "tap close|no web app is on top" "composer send|no mail composer is on top"; do
    command="${case%%|*}" reason="${case#*|}"
    run_script refused "$WORK/home4" <<SCRIPT
launch
waitfor banner 6 30
clickad
waitfor fullscreen browser 30
$command
SCRIPT
    [ "$RC" -eq 2 ] || { cat "$WORK/refused.err" >&2; fail "$command: expected a script error, got $RC"; }
    grep -qF "line 5: $reason" "$WORK/refused.err" || { cat "$WORK/refused.err" >&2; fail "$command: wrong reason"; }
done
echo "fullscreen: ok"
