#!/usr/bin/env bash
# Runs a test as the unprivileged user "nobody" when started as root, else as it is.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
    exec "$@"
fi
export HOME=/tmp TMPDIR=/tmp
exec setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"
