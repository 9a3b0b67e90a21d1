#!/usr/bin/env bash
# SIGKILL at random moments while the game changes and is saved over and over
# (autosave and background, each iteration). After every kill data.plist must
# be byte for byte the game of the last save that finished or of the one that
# was running, and the next start must clear what the cut save left behind.
# TOLVANE_KILLS sets the number of kills (scripts/crash-test runs 1,000).
source "$(dirname "$0")/common.bash"

python3 - "$TOLVANE" "$WORK" "${TOLVANE_KILLS:-20}" "${TOLVANE_KILL_SEED:-$RANDOM}" <<'PY'
import glob, json, os, random, shutil, signal, subprocess, sys, time

tolvane, work, kills, seed = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
rng = random.Random(seed)
home = os.path.join(work, "home")
docs = os.path.join(home, "Documents")
saved = os.path.join(docs, "data.plist")
ITERATIONS = 30

def script(iterations):
    lines = ["clock 2026-01-15T09:30:00", "launch", "hardreset", "alert 1"]
    # Up one, down one: the totals stay where a restored game needs no wider
    # wheel, so what a run saves does not depend on what the last run left.
    for i in range(iterations):
        lines += ["tap buttonDec0" if i % 2 else "tap buttonInc0", "advance 3.5", "background", "dump"]
    path = os.path.join(work, "s%d.txt" % iterations)
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return path

def run(iterations):
    start = time.monotonic()
    subprocess.run([tolvane, "--home", home, "--script", script(iterations)], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.monotonic() - start

def read(path):
    with open(path, "rb") as f:
        return f.read()

def temporaries():
    return set(glob.glob(saved + ".tmp.*"))

# How long a start takes before the first save: kills before it test nothing
# about saving, and on a loaded or sanitized build it is most of the run.
startup = min(run(0) for _ in range(3))

# Every game the script saves, in order: the same in every run, since the
# virtual clock starts at the same moment and the game is reset first.
versions = [None]
duration = 0.0
for i in range(1, ITERATIONS + 1):
    duration = run(i)
    versions.append(read(saved))
assert len(set(versions[1:])) == ITERATIONS, "every iteration saves a different game"
# The first long run can be slow for reasons of its own (cold caches); a kill
# drawn past the end of a run cuts nothing.
duration = min(duration, run(ITERATIONS))

previous = read(saved)
left_behind = set()
counts = {"old": 0, "new": 0, "with temporary file": 0}
failures = []
# Kill until the wanted number has landed inside the saving loop, within a
# bounded number of tries: the timing of a busy machine moves, the count not.
trial = -1
while counts["old"] + counts["new"] < kills and trial + 1 < 3 * kills:
    trial += 1
    out_path = os.path.join(work, "out.txt")
    with open(out_path, "w") as out:
        child = subprocess.Popen([tolvane, "--home", home, "--script", script(ITERATIONS)],
                                 stdout=out, stderr=subprocess.DEVNULL)
        time.sleep(rng.uniform(startup * 0.9, max(duration, startup)))
        child.send_signal(signal.SIGKILL)
        child.wait()
    done = sum(1 for line in open(out_path) if line.strip())
    current = read(saved)
    if done == ITERATIONS:  # finished before the kill: no save was cut
        if current != versions[ITERATIONS]:
            failures.append("trial %d: a finished run left another game" % trial)
        previous = current
        continue
    old = previous if done == 0 else versions[done]
    new = versions[done + 1]
    if current == old:
        counts["old"] += 1
    elif current == new:
        counts["new"] += 1
    else:
        failures.append("trial %d: after %d saves the file is neither the old nor the new game" % (trial, done))
    now = temporaries()
    if now:
        counts["with temporary file"] += 1
    # Once the start-up is over, the previous kill's leftovers are gone.
    if done > 0 and (left_behind & now):
        failures.append("trial %d: %s survived a start" % (trial, sorted(left_behind & now)))
    left_behind = now
    previous = current

# A last, undisturbed start clears whatever the last kill left.
run(1)
if temporaries():
    failures.append("temporary files after a clean start: %s" % sorted(temporaries()))
cut = counts["old"] + counts["new"]
print("kill_during_save: seed %d, %d kills, %d during the saving loop: %d old game, %d new game, "
      "%d left a temporary file (removed at the next start), %d failures"
      % (seed, trial + 1, cut, counts["old"], counts["new"], counts["with temporary file"], len(failures)))
if failures:
    print("\n".join(failures[:20]), file=sys.stderr)
    sys.exit(1)
if cut < kills:
    print("too few kills landed while the game was being saved", file=sys.stderr)
    sys.exit(1)
PY
