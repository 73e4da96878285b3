#!/usr/bin/env bash
# Runs a test as the unprivileged user "nobody" when started as root, else as it is. The test
# program is copied to a folder that nobody can reach, since the build folder may not be.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
    exec "$@"
fi
program="$1"
shift
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
cp "$program" "$scratch/"
chmod 755 "$scratch/$(basename "$program")"
export HOME=/tmp TMPDIR=/tmp
setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$scratch/$(basename "$program")" "$@"
