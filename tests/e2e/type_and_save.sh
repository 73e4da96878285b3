#!/usr/bin/env bash
# Starts the real program in an X window under Xvfb, types into it with the keyboard, saves
# with Ctrl+S and checks the bytes that reach the disk.
set -euo pipefail
program="$1"
source "$(dirname "$0")/private_home.sh"
export QT_QPA_PLATFORM=xcb
printf '[Options]\nCheckDefault=No\n' >"$XDG_CONFIG_HOME/OmrikNote/OmrikNote.ini"
printf 'first line\r\n' >"$work/letter.txt"

cat >"$work/session.sh" <<'INNER'
set -euo pipefail
program="$1"; file="$2"
"$program" "$file" &
pid=$!
for _ in $(seq 100); do
    window=$(xdotool search --name "^OmrikNote \(" 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || { echo "the window never appeared"; kill $pid; exit 1; }
xdotool windowfocus --sync "$window"
sleep 0.5
xdotool key --window "$window" --delay 50 ctrl+End
xdotool type --window "$window" --delay 30 'Hello from the keyboard'
xdotool key --window "$window" Return
xdotool key --window "$window" ctrl+s
for _ in $(seq 50); do
    grep -q 'keyboard' "$file" && break
    sleep 0.2
done
title=$(xdotool getwindowname "$window")
kill $pid
wait $pid 2>/dev/null || true
echo "title: $title"
INNER

xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/session.sh" "$program" "$work/letter.txt"
printf 'first line\r\nHello from the keyboard\r\n' >"$work/expected.txt"
if ! cmp -s "$work/expected.txt" "$work/letter.txt"; then
    echo "unexpected file contents:"; od -c "$work/letter.txt"; exit 1
fi
echo "1 passed, 0 failed"
