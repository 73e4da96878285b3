#!/usr/bin/env bash
# The real program's command line: --help and --version answer with no display at all, and
# under Xvfb a file:// URI and a name after -- that Qt would take for its own option open
# their files.
set -euo pipefail
program="$(realpath "$1")"
version="$2"
source "$(dirname "$0")/private_home.sh"
printf '[Options]\nCheckDefault=No\n' >"$XDG_CONFIG_HOME/OmrikNote/OmrikNote.ini"
failed=0
fail() { echo "FAIL: $*"; failed=1; }

headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@"; }
status=0
headless --help >"$work/out" 2>"$work/err" || status=$?
[ "$status" -eq 0 ] || fail "--help exited with $status"
head -n 1 "$work/out" | grep -qx 'Usage: OmrikNote \[FILE\]' || fail "--help printed: $(cat "$work/out")"
[ ! -s "$work/err" ] || fail "--help wrote to standard error: $(cat "$work/err")"
status=0
headless --version >"$work/out" 2>"$work/err" || status=$?
[ "$status" -eq 0 ] || fail "--version exited with $status"
[ "$(cat "$work/out")" = "OmrikNote $version" ] || fail "--version printed: $(cat "$work/out")"
status=0
headless --version >/dev/full 2>/dev/null || status=$?
[ "$status" -ne 0 ] || fail "--version to a full disk exited with 0"

mkdir "$work/docs"
printf 'named like an option\r\n' >"$work/docs/-reverse"
printf 'named by a URI\r\n' >"$work/docs/a b.txt"
cat >"$work/session.sh" <<'INNER'
set -euo pipefail
program="$1"; shift
title="$1"; shift
"$program" "$@" &
pid=$!
found=""
for _ in $(seq 100); do
    found=$(xdotool search --name "^OmrikNote \(" getwindowname %@ 2>/dev/null | head -n 1) || true
    [ -n "$found" ] && break
    sleep 0.2
done
kill $pid 2>/dev/null || true
wait $pid 2>/dev/null || true
[ "$found" = "$title" ] || { echo "window title '$found', expected '$title'"; exit 1; }
INNER
cd "$work/docs"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/session.sh" "$program" \
    "OmrikNote (-reverse)" -- -reverse || fail "-- -reverse"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/session.sh" "$program" \
    "OmrikNote ($work/docs/a b.txt)" "file://$work/docs/a%20b.txt" || fail "file:// URI"

[ "$failed" -eq 0 ] || exit 1
echo "all passed"
