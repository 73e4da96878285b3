#!/usr/bin/env bash
# Start-up on a bare X server with no window manager: stored geometry that no window can take
# gives a window of the default size on the screen, a failure box for the file named on the
# command line lies above the main window and answers the keyboard, and the program then ends
# normally, storing a usable size.
set -euo pipefail
program="$1"
source "$(dirname "$0")/private_home.sh"
export QT_QPA_PLATFORM=xcb
ini="$XDG_CONFIG_HOME/OmrikNote/OmrikNote.ini"
printf '[Options]\nCheckDefault=No\n[FormPlacement]\nWidth=1\nHeight=200000000\n' >"$ini"

cat >"$work/session.sh" <<'INNER'
set -euo pipefail
program="$1"; ini="$2"
wait_for() {
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
        [ -n "$window" ] && { echo "$window"; return 0; }
        sleep 0.2
    done
    return 1
}
# Top-level windows from the top down.
stacking() { xwininfo -root -children | awk '/^ +0x/ { print $1 }'; }

"$program" /dev/zero &
pid=$!
main=$(wait_for '^OmrikNote \(') || { echo "no main window"; exit 1; }
box=$(wait_for '^OmrikNote$') || { echo "no failure box"; exit 1; }
sleep 0.5
geometry=$(xwininfo -id "$main" | awk '/Absolute upper-left Y/ { y = $NF } /Width/ { w = $NF }
    /Height/ { h = $NF } END { print w "x" h " at y " y }')
case "$geometry" in
    "509x376 at y "[0-9]*) ;;
    *) echo "main window not of the default size on the screen: $geometry"; exit 1 ;;
esac
order=$(stacking | grep -n -x -e "$(printf '0x%x' "$box")" -e "$(printf '0x%x' "$main")" | cut -d: -f2)
[ "$(echo "$order" | head -n 1)" = "$(printf '0x%x' "$box")" ] \
    || { echo "the failure box lies under the main window"; exit 1; }
xdotool key Return
for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^OmrikNote$' >/dev/null 2>&1 || break
    sleep 0.1
done
! xdotool search --onlyvisible --name '^OmrikNote$' >/dev/null 2>&1 \
    || { echo "the failure box did not take Return"; exit 1; }
xdotool windowfocus --sync "$main"
before=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)
xdotool key alt+f
for _ in $(seq 50); do
    [ "$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)" -gt "$before" ] && break
    sleep 0.1
done
xdotool key x
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
! kill -0 "$pid" 2>/dev/null || { echo "the program did not end"; kill "$pid"; exit 1; }
grep -q '^Width=7635$' "$ini" && grep -q '^Height=5640$' "$ini" \
    || { echo "unusable size written back"; cat "$ini"; exit 1; }
INNER

xvfb-run -a -s "-screen 0 1024x768x24" bash ${E2E_TRACE:+-x} "$work/session.sh" "$program" "$ini"
echo "1 passed, 0 failed"
