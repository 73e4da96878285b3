#!/usr/bin/env bash
# Prints for real through a CUPS scheduler started for this test alone, on its own socket and
# folders. Two queues write their jobs to files, with the copies and options the job came with;
# the job goes to the one that is not the default, and the printed PDF is then read.
set -euo pipefail
test_binary="$1"
# CTest counts exit status 77 as skipped.
skip() { echo "SKIP: $1"; echo "0 passed, 0 failed, 1 skipped"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "starting a CUPS scheduler needs root"
[ -x /usr/sbin/cupsd ] || skip "cupsd is not installed"

work="$(mktemp -d)"
chmod 755 "$work"
cleanup() { [ -n "${scheduler:-}" ] && kill "$scheduler" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
mkdir -p "$work"/{spool,cache,state,log,tmp,out,serverbin/backend}
chown root:lp "$work/tmp" && chmod 1770 "$work/tmp"
chmod 1777 "$work/out"
for part in cgi-bin daemon filter monitor notifier driver; do
    [ -e "/usr/lib/cups/$part" ] && ln -s "/usr/lib/cups/$part" "$work/serverbin/$part"
done
cat >"$work/serverbin/backend/testfile" <<'BACKEND'
#!/bin/sh
if [ $# -eq 0 ]; then echo 'direct testfile "Unknown" "File for tests"'; exit 0; fi
target="${DEVICE_URI#testfile:}"
printf '%s\n' "$4" >"$target.copies"
printf '%s\n' "$5" >"$target.options"
if [ -n "$6" ]; then cat "$6" >"$target.part"; else cat >"$target.part"; fi
mv "$target.part" "$target"
BACKEND
chmod 755 "$work/serverbin/backend/testfile"
cat >"$work/cups-files.conf" <<CONF
ServerRoot $work
RequestRoot $work/spool
CacheDir $work/cache
StateDir $work/state
TempDir $work/tmp
ServerBin $work/serverbin
DataDir /usr/share/cups
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
CONF
cat >"$work/cupsd.conf" <<CONF
Listen $work/cups.sock
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
/usr/sbin/cupsd -f -c "$work/cupsd.conf" -s "$work/cups-files.conf" &
scheduler=$!
export CUPS_SERVER="$work/cups.sock"
for _ in $(seq 50); do [ -S "$CUPS_SERVER" ] && lpstat -r >/dev/null 2>&1 && break; sleep 0.2; done
lpstat -r >/dev/null 2>&1 || skip "the CUPS scheduler did not start here: $(tail -n 3 "$work/log/error_log" 2>/dev/null)"
for queue in OmrikDefault OmrikChosen; do
    lpadmin -p "$queue" -E -v "testfile:$work/out/$queue.pdf" -m raw 2>/dev/null
done
lpadmin -d OmrikDefault

OMRIK_CUPS_OUTPUT="$work/out" QT_QPA_PLATFORM=offscreen "$test_binary" \
    printsOnTheChosenPrinter dialogSendsTheJobWhereTheUserChose unusablePrinterIsAPrinterFailure
