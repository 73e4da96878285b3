#!/usr/bin/env bash
# First start with empty configuration folders in a real X window: the association offer
# comes before the main window; answering it and ending the program leaves the settings file
# and mimeapps.list as expected; a second start restores the window's size and the font.
set -euo pipefail
program="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_DATA_DIRS="$work/system-data" XDG_CONFIG_DIRS="$work/system-config"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$XDG_DATA_DIRS"
chmod 700 "$XDG_RUNTIME_DIR"
ini="$XDG_CONFIG_HOME/OmrikNote/OmrikNote.ini"

cat >"$work/session.sh" <<'INNER'
set -euo pipefail
program="$1"; ini="$2"
find_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true; }
wait_for() {
    for _ in $(seq 100); do
        window=$(find_window "$1")
        [ -n "$window" ] && { echo "$window"; return 0; }
        sleep 0.2
    done
    return 1
}
visible_windows() { xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l; }
exit_program() {
    xdotool windowfocus --sync "$1"
    # The x must reach the open File menu, not the text: wait for the menu's window.
    local before
    before=$(visible_windows "$2")
    xdotool key alt+f
    for _ in $(seq 50); do [ "$(visible_windows "$2")" -gt "$before" ] && break; sleep 0.1; done
    xdotool key x
    for _ in $(seq 50); do kill -0 "$2" 2>/dev/null || return 0; sleep 0.2; done
    echo "the program did not end"; return 1
}

"$program" &
pid=$!
offer=$(wait_for '^OmrikNote$') || { echo "no association offer"; exit 1; }
[ -z "$(find_window '^OmrikNote \(')" ] || { echo "the main window came before the offer"; exit 1; }
sleep 0.5
xdotool windowfocus --sync "$offer"
# The focus starts on Yes; two tabs reach the box "Do not ask this again".
xdotool key --delay 100 Tab Tab space Return
main=$(wait_for '^OmrikNote \(') || { echo "no main window after the offer"; exit 1; }
sleep 0.5
xdotool windowsize --sync "$main" 600 400
sleep 0.5
exit_program "$main" "$pid"
grep -q '^Width=9000$' "$ini" || { echo "width not stored"; cat "$ini"; exit 1; }
grep -q '^CheckDefault=No$' "$ini" || { echo "CheckDefault not stored"; cat "$ini"; exit 1; }
[ "$(xdg-mime query default text/plain)" = "omriknote.desktop" ] || { echo "not the default"; exit 1; }
cp "$ini" "$ini.first"

"$program" &
pid=$!
main=$(wait_for '^OmrikNote \(') || { echo "no main window at the second start"; exit 1; }
[ -z "$(find_window '^OmrikNote$')" ] || { echo "the offer came again"; exit 1; }
sleep 0.5
size=$(xdotool getwindowgeometry "$main" | sed -n 's/.*Geometry: //p')
[ "$size" = "600x400" ] || { echo "window size not restored: $size"; exit 1; }
exit_program "$main" "$pid"
diff <(grep -E '^(Font|Color|Bold|Italic|Strikethru|Underline|Width|Height)' "$ini.first") \
     <(grep -E '^(Font|Color|Bold|Italic|Strikethru|Underline|Width|Height)' "$ini") \
    || { echo "settings changed between runs"; exit 1; }

# A settings file of binary garbage: the program starts with defaults and ends normally. The
# check runs again, but finds the handler installed above, so it asks nothing.
head -c 4096 /dev/urandom >"$ini"
"$program" &
pid=$!
main=$(wait_for '^OmrikNote \(') || { echo "no main window with a garbage settings file"; exit 1; }
[ -z "$(find_window '^OmrikNote$')" ] || { echo "the offer came although we are the handler"; exit 1; }
sleep 0.5
exit_program "$main" "$pid"
grep -q '^Background=3$' "$ini" || { echo "defaults not written over the garbage"; exit 1; }
INNER

xvfb-run -a -s "-screen 0 1024x768x24" bash ${E2E_TRACE:+-x} "$work/session.sh" "$program" "$ini"
grep -q '^text/plain=omriknote.desktop$' "$XDG_CONFIG_HOME/mimeapps.list"
grep -q '^Exec=.*OmrikNote %f$' "$XDG_DATA_HOME/applications/omriknote.desktop"
echo "1 passed, 0 failed"
