#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks it as a desktop would see it: the
# desktop entry and the metainfo pass their validators, every icon is where the icon theme
# looks and of the size its folder promises, the man page formats without a warning, and
# the running program's window class is the one the desktop entry names.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
share="$prefix/share"
failed=0
fail() {
    echo "FAIL: $*"
    failed=$((failed + 1))
}

cmake --install "$build" --prefix "$prefix" >/dev/null

entry="$share/applications/omriknote.desktop"
[ -f "$entry" ] || { echo "FAIL: no desktop entry in $share/applications"; exit 1; }
# desktop-file-validate prints errors, warnings and hints alike; a clean entry prints nothing.
report=$(desktop-file-validate "$entry" 2>&1) || true
[ -z "$report" ] || fail "desktop-file-validate: $report"

metainfo=("$share"/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || { echo "FAIL: no metainfo in $share/metainfo"; exit 1; }
# The metainfo alone, and with validate-tree together with the desktop entry it launches;
# the infos and pedantic notes that appstreamcli lets pass fail here too.
for check in "validate --pedantic ${metainfo[0]}" "validate-tree $prefix"; do
    status=0
    appstreamcli $check --no-net >"$work/appstream.txt" 2>&1 || status=$?
    if [ "$status" -ne 0 ] || grep -q '^ *[EWIP]: ' "$work/appstream.txt"; then
        fail "appstreamcli ${check%% *}:"
        cat "$work/appstream.txt"
    fi
done

key() { sed -n "s/^$1=//p" "$entry" | head -n 1; }
[ -x "$prefix/bin/$(key Exec | cut -d' ' -f1)" ] || fail "Exec names no installed program"
grep -q "<launchable type=\"desktop-id\">omriknote.desktop</launchable>" "${metainfo[0]}" \
    || fail "the metainfo does not launch omriknote.desktop"

icon="$(key Icon)"
python3 - "$share/icons/hicolor" "$icon" <<'PY' || failed=$((failed + 1))
import struct, sys, xml.etree.ElementTree as ET
theme, name = sys.argv[1], sys.argv[2]
bad = []
for size in (16, 24, 32, 48, 64, 128, 256):
    path = "%s/%dx%d/apps/%s.png" % (theme, size, size, name)
    try:
        data = open(path, "rb").read(33)
    except OSError:
        bad.append("missing " + path)
        continue
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        bad.append("not a PNG: " + path)
        continue
    width, height, depth, colour = struct.unpack(">IIBB", data[16:26])
    if (width, height) != (size, size):
        bad.append("%s is %dx%d" % (path, width, height))
    # Colour type 6 is RGBA: the icon must lie on any panel without a box around it.
    if colour != 6:
        bad.append("%s has no alpha channel" % path)
svg = "%s/scalable/apps/%s.svg" % (theme, name)
try:
    root = ET.parse(svg).getroot()
    box = root.get("viewBox", "").split()
    if root.tag != "{http://www.w3.org/2000/svg}svg" or len(box) != 4 or box[2] != box[3]:
        bad.append("%s is not a square SVG" % svg)
except (OSError, ET.ParseError) as error:
    bad.append("%s: %s" % (svg, error))
for line in bad:
    print("FAIL: icon " + line)
sys.exit(1 if bad else 0)
PY

manual="$share/man/man1/OmrikNote.1"
if [ -f "$manual" ]; then
    warnings=$(groff -man -ww -z "$manual" 2>&1) || true
    [ -z "$warnings" ] || fail "the man page: $warnings"
    grep -q '@[A-Z_]*@' "$manual" && fail "the man page keeps an unreplaced @ placeholder"
else
    fail "no man page in share/man/man1"
fi

# A launcher ties a running window to its entry by the window's class; a mismatch shows the
# program twice in a dock, once pinned and once running, without its icon.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/OmrikNote"
chmod 700 "$XDG_RUNTIME_DIR"
printf '[Options]\nCheckDefault=No\n' >"$XDG_CONFIG_HOME/OmrikNote/OmrikNote.ini"
cat >"$work/class.sh" <<'INNER'
set -euo pipefail
"$1" &
pid=$!
for _ in $(seq 100); do
    window=$(xdotool search --name "^OmrikNote \(" 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] && xprop -id "$window" WM_CLASS
kill $pid
wait $pid 2>/dev/null || true
INNER
class=$(xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/class.sh" "$prefix/bin/OmrikNote" \
    | sed -n 's/^WM_CLASS(STRING) = ".*", "\(.*\)"$/\1/p')
[ "$class" = "$(key StartupWMClass)" ] \
    || fail "the window's class is '$class', the entry's StartupWMClass '$(key StartupWMClass)'"

if [ "$failed" -ne 0 ]; then
    echo "0 passed, $failed failed"
    exit 1
fi
echo "1 passed, 0 failed"
