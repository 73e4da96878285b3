#!/usr/bin/env bash
# Runs a test as the unprivileged user "nobody" when started as root, else as it is. The test
# program is copied to a folder that nobody can reach, since the build folder may not be.
# With --own-namespace first, the test runs in a user and mount namespace of its own, where it
# is root only over what it mounts there: enough for a small full disk without privileges.
# Exits with 77 when the system allows no such namespace.
set -euo pipefail
namespace=()
if [ "${1:-}" = "--own-namespace" ]; then
    shift
    namespace=(unshare --user --map-root-user --mount)
fi
as_nobody=()
[ "$(id -u)" -ne 0 ] || as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
if [ ${#namespace[@]} -gt 0 ] && ! "${as_nobody[@]}" "${namespace[@]}" true 2>/dev/null; then
    echo "no user namespaces here"
    exit 77
fi
if [ ${#as_nobody[@]} -eq 0 ]; then
    exec "${namespace[@]}" "$@"
fi
program="$1"
shift
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
cp "$program" "$scratch/"
chmod 755 "$scratch/$(basename "$program")"
export HOME=/tmp TMPDIR=/tmp
"${as_nobody[@]}" "${namespace[@]}" "$scratch/$(basename "$program")" "$@"
