# Shared by the end-to-end scripts: $1 is the tolvane binary, $2 the tests folder.
# Each test writes its scripts into a scratch folder, runs them through the
# automation mode and checks the JSON dumps with python3.
set -euo pipefail

TOLVANE="${1:?usage: $0 TOLVANE_BINARY TESTS_DIR}"
TESTS="${2:-$(dirname "$0")/..}"
WORK="$(mktemp -d "${TMPDIR:-/tmp}/tolvane-e2e-XXXXXX")"
trap 'rm -rf "$WORK"' EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# The banner asks a port of this machine where nothing listens, unless a test
# starts the local ad network and names it; never the ad network outside.
export TOLVANE_ADS_BASE_URL="${TOLVANE_ADS_BASE_URL:-http://127.0.0.1:9/}"
export TOLVANE_ADS_STATIC_URL="${TOLVANE_ADS_STATIC_URL:-http://127.0.0.1:9}"

fail() { echo "FAIL: $*" >&2; exit 1; }

# run_script NAME HOME: runs the script read from standard input with the given
# home; dumps go to $WORK/NAME.out, errors to $WORK/NAME.err, the exit status to RC.
run_script() {
    local name="$1" home="$2"
    cat > "$WORK/$name.txt"
    set +e
    "$TOLVANE" --home "$home" --script "$WORK/$name.txt" > "$WORK/$name.out" 2> "$WORK/$name.err"
    RC=$?
    set -e
}

# expect_ok NAME: the run must have succeeded.
expect_ok() {
    [ "$RC" -eq 0 ] || { cat "$WORK/$1.err" >&2; fail "$1 exited with $RC"; }
}

# check NAME: runs the python code read from standard input with `dumps`, the
# list of parsed dump lines of run NAME, and a helper `eq(actual, expected, what)`.
check() {
    local name="$1"
    python3 - "$WORK/$name.out" <<PYEOF
import json, sys
dumps = [json.loads(line) for line in open(sys.argv[1]) if line.strip()]
failures = []
def eq(actual, expected, what):
    if actual != expected:
        failures.append("%s: expected %r, got %r" % (what, expected, actual))
$(cat)
if failures:
    print("\n".join(failures), file=sys.stderr)
    sys.exit(1)
PYEOF
}
