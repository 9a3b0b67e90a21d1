# Shared by the end-to-end scripts that need the local ad network: sourced
# after common.bash. start_adserver [OPTIONS...] starts tools/adserver on
# 127.0.0.1 (a free port) and points the app at it; the server stops when the
# test ends. adserver GET_PATH prints the answer of a route ("/stats", "/__mode?...").

start_adserver() {
    local log="$WORK/adserver.log"
    # The file exists before the server does: the background child opens it
    # in its own time, and reading a missing file below would end the test.
    : > "$log"
    python3 "$TESTS/../tools/adserver/adserver.py" --port 0 --exit-with-parent "$@" > "$log" 2>&1 &
    ADSERVER_PID=$!
    trap 'kill "$ADSERVER_PID" 2>/dev/null || true; wait "$ADSERVER_PID" 2>/dev/null || true; rm -rf "$WORK"' EXIT
    local port=""
    for _ in $(seq 200); do
        port="$(sed -n 's/^PORT \([0-9][0-9]*\)$/\1/p' "$log")"
        [ -n "$port" ] && break
        kill -0 "$ADSERVER_PID" 2>/dev/null || break
        sleep 0.05
    done
    [ -n "$port" ] || { cat "$log" >&2; fail "the ad server did not start"; }
    ADSERVER="http://127.0.0.1:$port"
    export TOLVANE_ADS_BASE_URL="$ADSERVER/"
    export TOLVANE_ADS_STATIC_URL="$ADSERVER"
}

adserver() {
    python3 -c 'import sys, urllib.request; sys.stdout.write(urllib.request.urlopen(sys.argv[1], timeout=10).read().decode())' "$ADSERVER$1"
}
