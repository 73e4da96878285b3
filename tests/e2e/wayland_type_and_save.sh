#!/usr/bin/env bash
# Starts the real program as a Wayland client of weston, types into it, saves with Ctrl+S,
# centres the window and leaves through File, Exit; then checks the bytes on disk, what the
# program told the compositor, that it printed no warning, and that the stored placement
# came back as it went in, since a Wayland client cannot place its window.
#
# The keys are real key presses: weston runs on its X11 backend inside Xvfb, xdotool presses
# keys on that X server, and weston hands them to the program as Wayland keyboard events.
# (Weston's headless backend has no keyboard, and this weston offers no virtual-keyboard
# protocol for wtype.)
set -euo pipefail
program="$1"
source "$(dirname "$0")/private_home.sh"
ini="$XDG_CONFIG_HOME/OmrikNote/OmrikNote.ini"
# Whole pixels at 96 dots per inch, so that the size can come back exactly.
printf '[FormPlacement]\nLeft=1500\nTop=1200\nWidth=7500\nHeight=5250\n[Options]\nCheckDefault=No\n' \
    >"$ini"
printf 'first line\r\n' >"$work/letter.txt"

# Qt unloads its window-decoration plugin before the leak check at the end of a sanitized
# program, so a leak of the plugin's shows with no module for the suppressions to name.
# Preloaded, the plugin stays mapped to the end and is named; the sanitizer's own library must
# still come first.
preload=
sanitizer=$(ldd "$program" | awk '/libasan/ { print $3 }')
decorations=$(find /usr/lib -path '*/wayland-decoration-client/libbradient.so' -print -quit)
if [ -n "$sanitizer" ] && [ -n "$decorations" ]; then
    preload="$sanitizer $decorations"
fi

cat >"$work/session.sh" <<'INNER'
set -euo pipefail
program="$1"; file="$2"; log="$3"; preload="$4"
weston --backend=x11-backend.so --use-pixman --socket=omrik-wayland --width=1024 \
    --height=768 --idle-time=0 >"$log.weston" 2>&1 &
weston=$!
pid=
trap 'kill $pid $weston 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    [ -S "$XDG_RUNTIME_DIR/omrik-wayland" ] && break
    sleep 0.1
done
# Without DISPLAY the program cannot reach the X server behind weston by any other road.
env -u DISPLAY WAYLAND_DISPLAY=omrik-wayland QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 \
    ${preload:+LD_PRELOAD="$preload"} "$program" "$file" 2>"$log" &
pid=$!
# The keys reach the surface that has the keyboard; the compositor says which one.
for _ in $(seq 150); do
    grep -q 'wl_keyboard@[0-9]*\.enter(' "$log" && break
    sleep 0.2
done
grep -q 'wl_keyboard@[0-9]*\.enter(' "$log" || { echo "the window never had the keyboard"; kill $pid; exit 1; }
# Weston gives the keyboard to the window it activated; the pointer only has to stay on
# weston's own X window, clear of the program's tooltips.
xdotool mousemove 1020 760
sleep 0.5
xdotool key --delay 50 ctrl+End
xdotool type --delay 30 'Hello from the keyboard'
xdotool key Return
xdotool key ctrl+s
for _ in $(seq 50); do
    grep -q 'keyboard' "$file" && break
    sleep 0.2
done
# A menu is a popup surface. The compositor grants its grab only for the latest input event,
# so a key released before the program asks for the popup dismisses it at once: the menu's
# keys stay down until the popup is configured, as a hand holds them that long. Its entry's
# key is pressed only once it is there, or the key would go into the text.
count() { grep -c "$1" "$log" || true; }
configured='xdg_popup@[0-9]*\.configure('
choose() { # MENU-KEY ENTRY-KEY
    local shown dismissed
    shown=$(count "$configured")
    dismissed=$(count 'xdg_popup@[0-9]*\.popup_done(')
    xdotool keydown "$1"
    for _ in $(seq 50); do
        [ "$(count "$configured")" -gt "$shown" ] && break
        sleep 0.1
    done
    xdotool keyup "$1"
    [ "$(count "$configured")" -gt "$shown" ] \
        || { echo "the menu of $1 never opened"; return 1; }
    sleep 0.3
    [ "$(count 'xdg_popup@[0-9]*\.popup_done(')" -eq "$dismissed" ] \
        || { echo "the compositor closed the menu of $1"; return 1; }
    xdotool key "$2"
}
choose alt+x c
sleep 0.5
choose alt+f x
status=0
for _ in $(seq 50); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.2
done
if kill -0 $pid 2>/dev/null; then
    echo "File, Exit did not end the program"
    kill $pid
fi
wait $pid || status=$?
echo "exit status: $status"
INNER

failed=0
fail() {
    echo "FAIL: $*"
    failed=$((failed + 1))
}
log="$work/wayland.log"
result=$(xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/session.sh" "$program" \
    "$work/letter.txt" "$log" "$preload") || true
echo "$result"

printf 'first line\r\nHello from the keyboard\r\n' >"$work/expected.txt"
if ! cmp -s "$work/expected.txt" "$work/letter.txt"; then
    fail "unexpected file contents:"
    od -c "$work/letter.txt"
fi
grep -qx 'exit status: 0' <<<"$result" || fail "the program did not end cleanly"
# The compositor finds the desktop entry, and with it the icon, by the application id.
grep -q 'xdg_toplevel@[0-9]*\.set_app_id("omriknote")' "$log" \
    || fail "no application id omriknote: $(grep -o 'set_app_id(.*)' "$log" || true)"
grep -qF "set_title(\"OmrikNote ($work/letter.txt)\")" "$log" \
    || fail "no title naming the file: $(grep -o 'set_title(.*)' "$log" || true)"
# Every line of WAYLAND_DEBUG starts with its time in brackets; anything else is the
# program's or Qt's own complaint, such as one about placing or activating a window.
if grep -v '^\[ *[0-9]*\.[0-9]*\] ' "$log" >"$work/warnings.txt"; then
    fail "the program printed:"
    cat "$work/warnings.txt"
fi
lost=()
for stored in Left=1500 Top=1200 Width=7500 Height=5250; do
    grep -qx "$stored" "$ini" || lost+=("$stored")
done
if [ ${#lost[@]} -ne 0 ]; then
    fail "the settings file lost ${lost[*]}:"
    cat "$ini"
fi

if [ "$failed" -ne 0 ]; then
    echo "weston said:"
    cat "$log.weston"
    echo "0 passed, $failed failed"
    exit 1
fi
echo "1 passed, 0 failed"
