#!/usr/bin/env bash
# Starts the Windows program that corpus_round_trip.sh installed, under Wine, with a Unix path
# as a Windows one: so the Linux end-to-end scripts drive it as they drive the Linux program.
set -euo pipefail
exec wine 'C:\OmrikNote\OmrikNote.exe' "$(winepath -w "$1")"
