# Sourced by the Wine end-to-end scripts, which run under Xvfb: a scratch Wine prefix with the
# program's folder copied to C:\OmrikNote, and the helpers that drive its windows. Wine in an
# X server without a window manager draws no frames; xdotool finds its windows by title.
# shellcheck source=tests/wine/private_prefix.sh
source "$(dirname "${BASH_SOURCE[0]}")/private_prefix.sh"
program_dir="$WINEPREFIX/drive_c/OmrikNote"
program='C:\OmrikNote\OmrikNote.exe'
passed=0
failed=0

install_program() {
    mkdir -p "$program_dir"
    cp -r "$1/." "$program_dir/"
}

check() {
    local what="$1"
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $what"
    fi
}

find_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true; }
wait_for() {
    local window
    for _ in $(seq 150); do
        window=$(find_window "$1")
        [ -n "$window" ] && { echo "$window"; return 0; }
        sleep 0.2
    done
    return 1
}
wait_gone() {
    for _ in $(seq 100); do
        [ -z "$(find_window "$1")" ] && return 0
        sleep 0.2
    done
    return 1
}
start_program() {
    wine "$program" "$@" &
    pid=$!
}
wait_ended() {
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.2
    done
    return 1
}
# What a window copies on KEYS, through the clipboard that Wine shares with X; Wine takes a
# moment to offer it there.
copy_from() {
    local window="$1" text=""
    shift
    printf '' | xclip -selection clipboard
    for _ in $(seq 10); do
        xdotool windowfocus --sync "$window"
        xdotool key "$@"
        sleep 0.5
        text=$(xclip -o -selection clipboard 2>/dev/null || true)
        [ -z "$text" ] || break
    done
    printf '%s' "$text"
}
# The text the program's main window holds.
copied_text() { copy_from "$1" ctrl+a ctrl+c; }
# A message box of Qt's copies its text with Ctrl+C on Windows.
message_text() {
    local box
    box=$(wait_for '^OmrikNote$') || return 0
    copy_from "$box" ctrl+c
}
file_is() {
    cmp -s "$1" <(printf "$2")
}
finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
