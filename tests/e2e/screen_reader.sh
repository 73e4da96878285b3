#!/usr/bin/env bash
# Runs the real program on a private accessibility bus with a listener registered for the
# events a screen reader follows, drives it with the keyboard under Xvfb, and checks that the
# program lives through it and that the listener heard each change: the document of the
# command line when the text area takes the focus, Open, New, typing, Undo, Select all, a
# selection made with Shift+arrows and the chosen tile of the background chooser. Then it
# reads the window, the chooser and the About box as a screen reader would. Before text
# changes went out as the event classes Qt's bridge reads them as, New and Open ended the
# program as soon as anything listened.
set -euo pipefail
program="$(realpath "$1")"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
# The bus launcher reads its settings through GSettings; none of that may reach the user's.
export GSETTINGS_BACKEND=memory
# Only the buses started below count, never those of the desktop the test runs on.
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
mkdir -p "$XDG_CONFIG_HOME/OmrikNote"
printf '[Options]\nCheckDefault=No\n' >"$XDG_CONFIG_HOME/OmrikNote/OmrikNote.ini"
documents="$work/documents"
mkdir -p "$documents"
printf 'first line\r\nsecond line\r\n' >"$documents/letter.txt"
printf 'written by the Open command\r\n' >"$documents/second.txt"

# The listener needs the system's Python, which has the GObject bindings; a Python earlier on
# the PATH may not.
python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3
"$python" -c 'import gi; gi.require_version("Atspi", "2.0")' \
    || { echo "the AT-SPI bindings for Python are missing: run scripts/deps"; exit 1; }

cat >"$work/session.sh" <<'INNER'
set -euo pipefail
program="$1"; python="$2"; listener="$3"; log="$4"
pid=""
listener_pid=""
# Nothing started here may outlive the session: a process left over would keep the test's
# output open and the test running.
stop_all() {
    for started in $pid $listener_pid; do kill "$started" 2>/dev/null || true; done
}
trap stop_all EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
alive() { kill -0 "$pid" 2>/dev/null; }
# What was heard since the last mark.
mark() { marked=$(wc -l <"$log"); }
since_mark() { tail -n "+$((marked + 1))" "$log"; }
# Whether a line since the mark has the event type $1 and all of the key=value fields after it.
matches() {
    since_mark | awk -F '\t' -v type="$1" '
        BEGIN { for (i = 2; i < ARGC; ++i) wanted[ARGV[i]]; ARGC = 1 }
        $1 == type {
            found = 0
            for (i = 2; i <= NF; ++i) if ($i in wanted) ++found
            if (found == length(wanted)) { hit = 1; exit }
        }
        END { exit !hit }' "$@"
}
# Waits up to fifteen seconds for such a line.
heard() {
    local what="$1"
    shift
    local deadline=$((SECONDS + 15))
    until matches "$@"; do
        alive || fail "the program died before the listener heard $what"
        [ "$SECONDS" -lt "$deadline" ] || fail "the listener never heard $what"
        sleep 0.1
    done
}
# Waits up to fifteen seconds for a visible window whose title matches $1.
find_window() {
    local deadline=$((SECONDS + 15)) found=""
    until found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) \
        && [ -n "$found" ]; do
        alive || fail "the program died before its window $1 appeared"
        [ "$SECONDS" -lt "$deadline" ] || fail "no window $1 appeared"
        sleep 0.2
    done
    echo "$found"
}
# Waits up to fifteen seconds for no visible window's title to match $1.
gone() {
    local deadline=$((SECONDS + 15))
    while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || fail "window $1 did not close"
        sleep 0.1
    done
}
focus() { timeout 10 xdotool windowfocus --sync "$1" || fail "window $1 took no focus"; }
# Keys go through the X server's test extension to the window with the focus, as a person's
# would. Keys sent to one window as events of their own can leave Qt taking the next real
# press of the same key for a repeat, which it drops.
press() { xdotool key --delay 60 "$@"; }
visible_windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }
# Opens the menu of Alt+$1 and, once it is up, chooses its entry with the key $2.
choose_from_menu() {
    local before deadline=$((SECONDS + 15))
    before=$(visible_windows)
    press "alt+$1"
    until [ "$(visible_windows)" -gt "$before" ]; do
        [ "$SECONDS" -lt "$deadline" ] || fail "the menu of Alt+$1 did not open"
        sleep 0.1
    done
    press "$2"
}

"$python" "$listener" listen "$log" 150 &
listener_pid=$!
deadline=$((SECONDS + 15))
until grep -q '^ready$' "$log" 2>/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || fail "the listener did not start"
    sleep 0.1
done
marked=1

# The documents' folder is the working folder, where the Open dialog starts.
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" letter.txt &
pid=$!
window=$(find_window '^OmrikNote \(')
focus "$window"

heard "the text area take the focus with the document of the command line" \
    object:state-changed:focused '"Text"' 'read="first line\nsecond line\n"'

# The Open command, answered in its dialog with the second file.
mark
press ctrl+o
dialog=$(find_window '^Open$')
focus "$dialog"
# Keys typed before the listener has seen the name field take the focus would be counted
# twice: once in what it reads then and once more as they are told.
heard "the Open dialog's name field take the focus" object:state-changed:focused \
    '"File name:"' set=1
xdotool type --delay 80 second.txt
heard "the name typed into the Open dialog" object:text-changed:insert 'told="second.txt"'
press Return
heard "Open replace the text" object:text-changed:insert '"Text"' \
    'data="written by the Open command\n"' 'told="written by the Open command\n"'
heard "Open take the old text away" object:text-changed:delete \
    'data="first line\nsecond line\n"'
# With no window manager, nothing gives the focus back to the window when the dialog closes.
focus "$window"

mark
press ctrl+n
heard "New take the text away" object:text-changed:delete \
    'data="written by the Open command\n"' 'told=""'
heard "the caret at the start after New" object:text-caret-moved caret=0

mark
xdotool type --delay 60 'Hello a11y'
heard "the typed text" object:text-changed:insert '"Text"' 'told="Hello a11y"'
heard "the caret after the typed text" object:text-caret-moved caret=10
# The events come in order, so all that typing told is in by now: an empty selection that
# moves with the caret is no selection change.
! matches object:text-selection-changed || fail "typing without a selection changed the selection"

mark
press ctrl+z
heard "Undo take the typing away" object:text-changed:delete 'data="Hello a11y"' 'told=""'
mark
press ctrl+z
heard "a second Undo bring it back" object:text-changed:insert 'data="Hello a11y"' \
    'told="Hello a11y"'

mark
press ctrl+a
heard "Select all" object:text-selection-changed selection=0-10

mark
press End shift+Left shift+Left shift+Left
heard "the caret at the end" object:text-caret-moved caret=10
heard "the selection made with Shift+Left" object:text-selection-changed selection=7-10
heard "the caret at the selection's start" object:text-caret-moved caret=7

! grep -q 'mismatch=' "$log" || fail "a change did not fit the text the listener had read"
"$python" "$listener" tree OmrikNote 10 >"$log.tree" || fail "the window could not be read"

# The background chooser: the stored tile is checked when it shows, a screen reader's press
# checks another, and Cancel checks the stored one again.
mark
choose_from_menu x b
chooser=$(find_window '^OmrikNote$')
heard "the stored tile checked" object:state-changed:checked '"Watercolour"' set=1
"$python" "$listener" press OmrikNote "radio button" Wood 10 || fail "no tile could be pressed"
heard "the pressed tile checked" object:state-changed:checked '"Wood"' set=1
heard "the stored tile unchecked" object:state-changed:checked '"Watercolour"' set=0
"$python" "$listener" tree OmrikNote 10 >"$log.chooser" || fail "the chooser could not be read"
mark
focus "$chooser"
press Escape
heard "Cancel uncheck the pressed tile" object:state-changed:checked '"Wood"' set=0
heard "Cancel check the stored tile" object:state-changed:checked '"Watercolour"' set=1
gone '^OmrikNote$'

# The About box, read as it shows.
focus "$window"
choose_from_menu h a
about=$(find_window '^OmrikNote Info$')
"$python" "$listener" tree OmrikNote 10 >"$log.about" || fail "the About box could not be read"
focus "$about"
press Escape
gone '^OmrikNote Info$'
alive || fail "the program died before the end"
kill "$pid"
wait "$pid" 2>/dev/null || true
touch "$log.stop"
wait "$listener_pid"
INNER

log="$work/heard.log"
status=0
(
    cd "$documents"
    timeout --kill-after=10 180 xvfb-run -a -s "-screen 0 1024x768x24" \
        dbus-run-session -- bash ${E2E_TRACE:+-x} "$work/session.sh" \
        "$program" "$python" "$here/atspi_listener.py" "$log"
) || status=$?
if [ "$status" -ne 0 ]; then
    [ "$status" -eq 124 ] && echo "FAIL: the session did not end in time"
    echo "--- what the listener heard:"
    cat "$log" 2>/dev/null || true
    exit 1
fi

# What a screen reader finds when it looks at the window rather than listens.
tree="$log.tree"
expect_object() {
    grep -qE "$1" "$tree" || { echo "FAIL: no object like '$1' in:"; cat "$tree"; exit 1; }
}
expect_object '^ *text "Text" focusable,focused,editable,multi-line "Hello a11y"$'
# The toolbar's buttons, each named after its command, in the order a screen reader goes
# through them.
buttons=$(awk '
    { indent = match($0, /[^ ]/) }
    inside && indent <= depth { inside = 0 }
    inside && indent == depth + 2 && /^ *push button "/ {
        match($0, /"[^"]*"/)
        print substr($0, RSTART, RLENGTH)
    }
    /^ *tool bar "Toolbar"/ { depth = indent; inside = 1 }
' "$tree" | paste -sd ' ')
expected='"New" "Open..." "Save" "Print..." "Cut" "Copy" "Paste" "Undo" "Find..."'
[ "$buttons" = "$expected" ] || { echo "FAIL: toolbar buttons $buttons in:"; cat "$tree"; exit 1; }

tree="$log.chooser"
# Qt's bridge does not pass on that a tile can be checked, only whether it is.
for tile in Stucco Marble Wood Watercolour None Canvas Paper; do
    checked=""
    [ "$tile" = Wood ] && checked="checked"
    expect_object "^ *radio button \"$tile\" $checked\$"
done
tree="$log.about"
expect_object '^ *link "https://www.example.org/omrik/" '
expect_object '^ *link "author@example.org" '
if [ -n "${E2E_TRACE:-}" ]; then
    echo "--- what the listener heard:"
    cat "$log"
    echo "--- what it found:"
    cat "$log.tree" "$log.chooser" "$log.about"
fi
echo "1 passed, 0 failed"
