#!/usr/bin/env bash
# cmake --install puts the program, its resources, the desktop entry, the
# hicolor icons and the AppStream metadata in place; the desktop's own
# validators accept them, and the installed program finds its resources.
source "$(dirname "$0")/common.bash"

BUILD="$(dirname "$TOLVANE")"
PREFIX="$WORK/prefix"
cmake --install "$BUILD" --prefix "$PREFIX" > "$WORK/install.log" || { cat "$WORK/install.log" >&2; fail "cmake --install"; }

[ -x "$PREFIX/bin/tolvane" ] || fail "no binary"
# The web engine comes as a module beside the program, loaded at the first
# page: the program itself does not need the engine's libraries to start.
[ -f "$PREFIX/bin/libtolvane_webengine.so" ] || fail "no web engine module beside the program"
readelf -d "$PREFIX/bin/tolvane" | grep -q "WebEngine" && fail "the program links the web engine"
readelf -d "$PREFIX/bin/libtolvane_webengine.so" | grep -q "libQt6WebEngineCore" || fail "the module does not link the engine"
DESKTOP="$PREFIX/share/applications/org.tolvane.Tolvane.desktop"
METAINFO="$PREFIX/share/metainfo/org.tolvane.Tolvane.metainfo.xml"
[ -f "$DESKTOP" ] || fail "no desktop entry"
[ -f "$METAINFO" ] || fail "no metainfo"
for size in 16 24 32 48 64 128 256; do
    icon="$PREFIX/share/icons/hicolor/${size}x${size}/apps/org.tolvane.Tolvane.png"
    python3 - "$icon" "$size" <<'PY' || fail "icon ${size}x${size}"
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n"
assert struct.unpack(">II", data[16:24]) == (int(sys.argv[2]),) * 2
PY
done

desktop-file-validate "$DESKTOP" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$METAINFO" > "$WORK/appstream.log" 2>&1 \
    || { cat "$WORK/appstream.log" >&2; fail "appstreamcli validate"; }
grep -q "<binary>tolvane</binary>" "$METAINFO" || fail "metainfo does not name the binary"
[ "$(grep -c '<screenshot' "$METAINFO")" -ge 3 ] || fail "metainfo lacks the screenshots"

# The installed program, away from the build tree's resources, still draws
# its buttons: it finds the resources it was installed with.
"$PREFIX/bin/tolvane" --home "$WORK/home" --screenshot "$WORK/installed.png" || fail "installed program"
[ -f "$PREFIX/share/tolvane/resources/whiteButton.png" ] || fail "resources not installed"
echo "install: ok"
