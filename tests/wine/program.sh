#!/usr/bin/env bash
# The real Windows program under Wine, in an X window under Xvfb. The first start offers the
# association and Yes writes the command through the real registry calls; File > Exit keeps
# the window's place and size for the next start, which finds the association and asks
# nothing; a Windows-1252 letter named on the command line shows é and € and saves as
# written; Help reaches ShellExecute; a save onto a read-only file or a file that another
# program holds gives the program's own failure, and the file stays as it was.
#
#   tests/wine/program.sh PROGRAM_FOLDER HOLDFILE.exe
set -euo pipefail
[ -n "${OMRIK_IN_XVFB:-}" ] \
    || OMRIK_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"
# shellcheck source=tests/wine/session.sh
source "$(dirname "$0")/session.sh"
# A folder whose name the ANSI code page lacks, as a user's own profile folder may have, from
# which the association command must still be written and read back as it is.
program_dir="$WINEPREFIX/drive_c/Омрик"
program='C:\Омрик\OmrikNote.exe'
install_program "$1"
cp "$2" "$WINEPREFIX/drive_c/holdfile.exe"
drive="$WINEPREFIX/drive_c"

exit_program() {
    xdotool windowfocus --sync "$1"
    xdotool key alt+f
    sleep 0.5
    xdotool key x
    wait_ended
}

# Wine hands a web address to winebrowser, which starts the first Unix browser on its list;
# this one notes what it was given. Wine has no real browser here.
cat >"$wine_work/browser" <<'BROWSER'
#!/bin/sh
echo "$@" >>"$(dirname "$0")/browser.log"
BROWSER
chmod +x "$wine_work/browser"
wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$wine_work/browser" /f >/dev/null

start_program
offer=$(wait_for '^OmrikNote$') || { echo "no association offer"; exit 1; }
check "the offer comes before the main window" [ -z "$(find_window '^OmrikNote \(')" ]
xdotool windowfocus --sync "$offer"
xdotool key Return
main=$(wait_for '^OmrikNote \(') || { echo "no main window after the offer"; exit 1; }
# wine reg prints in the ANSI code page; regedit exports in UTF-16.
wine regedit /E 'C:\command.reg' 'HKEY_CLASSES_ROOT\txtfile\shell\open\command'
command=$(iconv -f UTF-16 -t UTF-8 "$drive/command.reg" | tr -d '\r' | sed -n 's/^@="\(.*\)"$/\1/p' | sed 's/\\\\/\\/g')
check "Yes writes the program's command: $command" [ "$command" = 'C:\Омрик\OmrikNote.exe %1' ]
xdotool windowmove --sync "$main" 100 80
xdotool windowsize --sync "$main" 600 400
sleep 0.5
check "File > Exit ends the program" exit_program "$main"
ini=$(find "$drive/users" -name OmrikNote.ini | head -n 1)
check "the settings file is written" [ -n "$ini" ]
# Top and Height hold the title bar that Wine keeps for the window, though no frame is drawn.
for stored in Left=1500 Width=9000; do
    check "File > Exit stores $stored" grep -qx "$stored" <(tr -d '\r' <"$ini")
done

printf 'Caf\xe9 costs 3 \x80.\r\n' >"$drive/letter.txt"
start_program 'C:\letter.txt'
main=$(wait_for '^OmrikNote \(C:\\letter\.txt\)$') || { echo "the letter did not open"; exit 1; }
sleep 1
check "the second start asks nothing" [ -z "$(find_window '^OmrikNote$')" ]
geometry=$(xdotool getwindowgeometry "$main" | sed -n 's/.*Position: \([0-9,]*\) .*/\1/p; s/.*Geometry: //p' | paste -sd' ')
check "place and size come back: $geometry" [ "$geometry" = "100,80 600x400" ]
shown=$(copied_text "$main")
check "é and € are shown: $shown" [ "$shown" = "Café costs 3 €." ]
xdotool key ctrl+Home
xdotool type --delay 50 "Dear "
xdotool key ctrl+s
for _ in $(seq 50); do file_is "$drive/letter.txt" 'Dear Caf\xe9 costs 3 \x80.\r\n' && break; sleep 0.2; done
check "typed and saved in Windows-1252" file_is "$drive/letter.txt" 'Dear Caf\xe9 costs 3 \x80.\r\n'
xdotool key alt+h
sleep 0.5
xdotool key o
for _ in $(seq 50); do [ -s "$wine_work/browser.log" ] && break; sleep 0.2; done
check "Help > home page reaches the browser through ShellExecute" \
    grep -qx 'https://www.example.org/omrik/' "$wine_work/browser.log"
check "File > Exit after a save asks nothing" exit_program "$main"

# Saves that Windows refuses; the old file stays and the program goes on.
refused_save() {
    local name="$1" expected="$2"
    start_program "C:\\$name"
    main=$(wait_for "^OmrikNote \\(C:\\\\$name\\)\$") || { echo "$name did not open"; return 1; }
    xdotool windowfocus --sync "$main"
    xdotool key ctrl+End
    xdotool type "more"
    xdotool key ctrl+s
    message=$(message_text)
    check "$name: the failure is told: $message" grep -q "$expected" <<<"$message"
    xdotool key Return
    check "$name: the file is left as it was" file_is "$drive/$name" 'kept\r\n'
    check "$name: the program still runs" kill -0 "$pid"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}
printf 'kept\r\n' >"$drive/readonly.txt"
wine attrib +r 'C:\readonly.txt'
refused_save readonly.txt "^70 - Permission denied"
printf 'kept\r\n' >"$drive/held.txt"
wine 'C:\holdfile.exe' 'C:\held.txt' 'C:\release' &
holder=$!
sleep 1
refused_save held.txt "^[0-9]* - "
touch "$drive/release"
wait "$holder" || true
finish
