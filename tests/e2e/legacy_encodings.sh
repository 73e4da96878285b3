#!/usr/bin/env bash
# Opens real texts in legacy encodings (scripts/make-legacy-corpus: Japanese, Chinese, Russian,
# and French and German as Western controls) in the real program under Xvfb, reads the text
# the program shows as a screen reader does, over a private accessibility bus, and checks it
# against the file's UTF-8 twin; then saves each with Ctrl+S and checks that the same bytes
# reach the disk.
set -euo pipefail
program="$(realpath "$1")"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/private_home.sh"
export XDG_CACHE_HOME="$work/cache" QT_QPA_PLATFORM=xcb GSETTINGS_BACKEND=memory
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
printf '[Options]\nCheckDefault=No\n' >"$XDG_CONFIG_HOME/OmrikNote/OmrikNote.ini"
python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3

corpus="$work/corpus"
"$here/../../scripts/make-legacy-corpus" "$corpus"
cp -r "$corpus" "$work/pristine"

cat >"$work/session.sh" <<'INNER'
set -euo pipefail
program="$1"; python="$2"; listener="$3"; corpus="$4"
failures="$corpus.failures"
while IFS=$'\t' read -r file expected twin; do
    path="$corpus/$file"
    before=$(stat -c %i "$path")
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" "$path" 2>>"$corpus.log" &
    pid=$!
    window=""
    for _ in $(seq 150); do
        window=$(xdotool search --onlyvisible --name "^OmrikNote \(" 2>/dev/null | head -n 1) || true
        [ -n "$window" ] && break
        sleep 0.2
    done
    if [ -z "$window" ]; then
        echo "$file: no window" >>"$failures"
    else
        "$python" "$listener" tree OmrikNote 15 >"$corpus/$file.tree" 2>&1 || true
        "$python" - "$corpus/$file.tree" "$corpus/$twin" "$file" "$expected" >>"$failures" <<'CHECK' || true
import json, sys
tree, twin, name, expected = sys.argv[1:]
shown = None
for line in open(tree, encoding="utf-8"):
    start = line.lstrip()
    if not start.startswith('text "Text" '):
        continue
    rest = start[len('text "Text" '):]
    rest = rest[rest.index(' ') + 1:] if not rest.startswith('"') else rest
    shown, _ = json.JSONDecoder().raw_decode(rest)
    break
want = open(twin, encoding="utf-8").read().replace("\r\n", "\n").replace("\r", "\n")
if shown is None:
    print(f"{name}: the text area could not be read")
elif shown.rstrip("\n") != want.rstrip("\n"):
    at = next((i for i, (a, b) in enumerate(zip(shown, want)) if a != b), min(len(shown), len(want)))
    print(f"{name} ({expected}): shows {shown[max(0, at - 10):at + 20]!r} where its twin has {want[max(0, at - 10):at + 20]!r}")
CHECK
        xdotool windowfocus --sync "$window" 2>/dev/null || true
        sleep 0.3
        xdotool key --window "$window" ctrl+s
        for _ in $(seq 100); do
            [ "$(stat -c %i "$path")" != "$before" ] && break
            sleep 0.1
        done
        [ "$(stat -c %i "$path")" != "$before" ] || echo "$file: not saved" >>"$failures"
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
done <"$corpus/corpus.tsv"
INNER

: >"$corpus.failures"
timeout --kill-after=10 600 xvfb-run -a -s "-screen 0 1024x768x24 -noreset" \
    dbus-run-session -- bash "$work/session.sh" "$program" "$python" "$here/atspi_listener.py" \
    "$corpus"
failed=$(wc -l <"$corpus.failures")
cat "$corpus.failures"
shown=0
while IFS=$'\t' read -r file expected twin; do
    if ! cmp -s "$work/pristine/$file" "$corpus/$file"; then
        echo "$file: changed by open and save"
        failed=$((failed + 1))
    fi
    grep -q "^$file" "$corpus.failures" || shown=$((shown + 1))
done <"$corpus/corpus.tsv"
echo "$shown of $(wc -l <"$corpus/corpus.tsv") files shown as their twins and saved as they were"
[ "$failed" -eq 0 ]
