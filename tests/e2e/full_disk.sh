#!/usr/bin/env bash
# A real full disk: the documents folder on a 16 KB tmpfs (in a mount
# namespace of its own) that fills up after the first save. Every later save
# fails with ENOSPC, says so once, and the first game stays whole on disk.
source "$(dirname "$0")/common.bash"
command -v unshare >/dev/null || fail "unshare is missing"
own=(); [ "$(id -u)" -eq 0 ] || own=(--user --map-root-user)

H="$WORK/home"
mkdir -p "$H/Documents"
cat > "$WORK/first.txt" <<'SCRIPT'
launch
tap buttonInc0
background
SCRIPT
cat > "$WORK/full.txt" <<'SCRIPT'
launch
tap buttonInc0
advance 3
tap buttonInc0
advance 3
background
dump
SCRIPT
unshare "${own[@]}" --mount bash -euc '
    mount -t tmpfs -o size=16k tmpfs "$2/Documents"
    "$1" --home "$2" --script "$3/first.txt" 2>/dev/null
    cp "$2/Documents/data.plist" "$3/before.plist"
    dd if=/dev/zero of="$2/Documents/filler" bs=1k count=64 2>/dev/null || true
    "$1" --home "$2" --script "$3/full.txt" > "$3/full.out" 2>/dev/null
    cp "$2/Documents/data.plist" "$3/after.plist"
    ls "$2/Documents" > "$3/left.txt"
' _ "$TOLVANE" "$H" "$WORK" || fail "the run on a full disk did not end cleanly"
cmp -s "$WORK/before.plist" "$WORK/after.plist" || fail "the saved game changed on a full disk"
[ "$(cat "$WORK/left.txt")" = "$(printf 'data.plist\nfiller')" ] || fail "left behind: $(cat "$WORK/left.txt")"
check full <<'PY'
d = dumps[0]
eq([p["life"] for p in d["players"]], [23, 20], "play goes on")
failed = [l for l in d["console"] if l.startswith("Could not save the game")]
eq(len(failed), 3, "one line for each of the three saves (two after changes, one on background)")
eq(all("No space left on device" in l for l in failed), True, "each names the reason")
PY
echo "full_disk: ok"
