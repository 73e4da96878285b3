#!/usr/bin/env bash
# The open-and-save corpus of the Linux end-to-end test through the Windows program under Wine:
# real files, UTF-8 with a mark, UTF-16, CR LF, CR and mixed line ends, legacy encodings read
# in the ANSI code page, each saved with Ctrl+S and compared byte for byte.
#
#   tests/wine/corpus_round_trip.sh PROGRAM_FOLDER
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=tests/wine/private_prefix.sh
source "$here/private_prefix.sh"
mkdir -p "$WINEPREFIX/drive_c/OmrikNote"
cp -r "$1/." "$WINEPREFIX/drive_c/OmrikNote/"
# Already the handler, so the program opens each file without the association offer.
wine reg add 'HKCR\txtfile\shell\open\command' /ve /d 'C:\OmrikNote\OmrikNote.exe %1' /f >/dev/null
"$here/../e2e/corpus_round_trip.sh" "$here/omriknote.sh"
