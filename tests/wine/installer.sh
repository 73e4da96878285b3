#!/usr/bin/env bash
# The installer in a fresh Wine prefix: /S installs for all users (Wine's user is an
# administrator) with the Start menu entry and the entry in the list of installed programs;
# the installed program starts; the uninstaller removes all of it. Then the same for the
# current user alone.
#
#   tests/wine/installer.sh OmrikNote-VERSION-setup.exe
set -euo pipefail
[ -n "${OMRIK_IN_XVFB:-}" ] \
    || OMRIK_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"
# shellcheck source=tests/wine/session.sh
source "$(dirname "$0")/session.sh"
installer="$1"
[ -f "$installer" ] || { echo "no installer at $installer: run scripts/build-windows"; exit 1; }
cp "$installer" "$WINEPREFIX/drive_c/setup.exe"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OmrikNote'

registry_has() { wine reg query "$@" >/dev/null 2>&1; }
# Wine's name for a Windows folder, as a Unix path.
unix_folder() { winepath -u "$(wine cmd /c echo "$1" | tr -d '\r"')"; }

install_and_remove() {
    local scope="$1" folder="$2" menu="$3" root="$4"
    wine 'C:\setup.exe' /S "/$scope"
    wineserver --wait
    local installed menu_entry
    installed="$(unix_folder "$folder")/OmrikNote"
    menu_entry="$(unix_folder "$menu")/Programs/OmrikNote.lnk"
    check "$scope: the program is installed in $folder" [ -f "$installed/OmrikNote.exe" ]
    check "$scope: the Qt platform plugin is beside it" [ -f "$installed/platforms/qwindows.dll" ]
    check "$scope: the Start menu entry is there" [ -f "$menu_entry" ]
    check "$scope: the program is listed as installed" \
        registry_has "${root}${key#HKLM}" /v UninstallString
    check "$scope: no file type is registered" \
        [ -z "$(wine reg query 'HKCR\txtfile\shell\open\command' /ve | grep -i omrik || true)" ]

    program="$(winepath -w "$installed/OmrikNote.exe")"
    start_program
    offer=$(wait_for '^OmrikNote$') || true
    check "$scope: the installed program starts" [ -n "$offer" ]
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true

    wine "$(winepath -w "$installed/Uninstall.exe")" /S "/$scope"
    # The uninstaller runs from a copy of itself, which it starts and leaves.
    for _ in $(seq 100); do [ ! -e "$installed" ] && break; sleep 0.2; done
    wineserver --wait
    check "$scope: the uninstaller removes the folder" [ ! -e "$installed" ]
    check "$scope: the uninstaller removes the Start menu entry" [ ! -e "$menu_entry" ]
    check "$scope: the uninstaller removes the entry of installed programs" \
        bash -c "! wine reg query '${root}${key#HKLM}' >/dev/null 2>&1"
}

install_and_remove AllUsers '%ProgramFiles%' '%ProgramData%\Microsoft\Windows\Start Menu' HKLM
install_and_remove CurrentUser '%LOCALAPPDATA%\Programs' '%APPDATA%\Microsoft\Windows\Start Menu' HKCU
finish
