#!/usr/bin/env bash
# Opens real files that nobody here wrote in the real program under Xvfb, saves each with
# Ctrl+S without an edit, and checks that the same bytes reach the disk. The files come from
# Debian packages (licences, C headers, mail, decimal test vectors, legacy CJK encodings,
# UTF-8 with a mark, UTF-16, binaries), plus copies of them with other line endings.
set -euo pipefail
program="$1"
source "$(dirname "$0")/private_home.sh"
export QT_QPA_PLATFORM=xcb
printf '[Options]\nCheckDefault=No\n' >"$XDG_CONFIG_HOME/OmrikNote/OmrikNote.ini"

python=/usr/lib/python3.11/test
sources=(
    /usr/share/common-licenses/GPL-3
    /usr/share/common-licenses/Apache-2.0
    /usr/share/common-licenses/Artistic
    /usr/include/stdio.h
    /usr/include/string.h
    "$python"/test_email/data/msg_01.txt
    "$python"/test_email/data/msg_26.txt
    "$python"/decimaltestdata/add.decTest
    "$python"/mailcap.txt
    "$python"/xmltestdata/c14n-20/world.txt
    "$python"/tokenize_tests-utf8-coding-cookie-and-utf8-bom-sig.txt
    "$python"/tokenize_tests-latin1-coding-cookie-and-utf8-bom-sig.txt
    "$python"/test_importlib/data01/utf-16.file
    "$python"/imghdrdata/python.png
    "$python"/imghdrdata/python.bmp
)
for encoding in big5 big5hkscs cp949 euc_jp euc_kr gb18030 gb2312 gbk hz iso2022_jp johab \
    shift_jis shift_jisx0213; do
    sources+=("$python/cjkencodings/$encoding.txt" "$python/cjkencodings/$encoding-utf8.txt")
done

corpus="$work/corpus"
mkdir "$corpus"
for source in "${sources[@]}"; do
    [ -f "$source" ] || { echo "missing corpus file $source"; exit 1; }
    cp "$source" "$corpus/$(echo "${source#/usr/}" | tr '/' '_')"
done
# Copies of real texts with the line endings and encodings that Debian ships none of.
sed 's/$/\r/' /usr/share/common-licenses/GPL-3 >"$corpus/gpl3-crlf.txt"
tr '\n' '\r' </usr/share/common-licenses/Apache-2.0 >"$corpus/apache-cr.txt"
{ cat "$corpus/gpl3-crlf.txt"; cat /usr/include/stdio.h; cat "$corpus/apache-cr.txt"; } \
    >"$corpus/mixed.txt"
head -c 5000 "$corpus/gpl3-crlf.txt" >"$corpus/gpl3-crlf-no-last-line-end.txt"
head -c 3001 /usr/include/stdio.h >"$corpus/stdio-no-last-line-end.h"
iconv -f UTF-8 -t UTF-16 "$python/cjkencodings/euc_jp-utf8.txt" >"$corpus/euc_jp-utf16.txt"
iconv -f UTF-8 -t UTF-16BE "$python/cjkencodings/gb18030-utf8.txt" \
    | { printf '\xfe\xff'; cat; } >"$corpus/gb18030-utf16be.txt"
sed 's/$/\r/' "$python/cjkencodings/shift_jis.txt" >"$corpus/shift_jis-crlf.txt"
cp -r "$corpus" "$work/pristine"

cat >"$work/session.sh" <<'INNER'
set -euo pipefail
program="$1"; corpus="$2"
for file in "$corpus"/*; do
    before=$(stat -c %i "$file")
    "$program" "$file" 2>"$corpus.log" &
    pid=$!
    window=""
    for _ in $(seq 150); do
        window=$(xdotool search --name "^OmrikNote \(" 2>/dev/null | head -n 1) || true
        [ -n "$window" ] && break
        sleep 0.2
    done
    if [ -z "$window" ]; then
        echo "no window for $(basename "$file")" | tee -a "$corpus.failures"
        cat "$corpus.log"
    else
        xdotool windowfocus --sync "$window" 2>/dev/null || true
        sleep 0.3
        xdotool key --window "$window" ctrl+s
        # A save replaces the file, so a new inode says it is done.
        for _ in $(seq 100); do
            [ "$(stat -c %i "$file")" != "$before" ] && break
            sleep 0.1
        done
        [ "$(stat -c %i "$file")" != "$before" ] \
            || echo "not saved: $(basename "$file")" | tee -a "$corpus.failures"
    fi
    kill $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
done
INNER

# Without -noreset the server resets as each program ends, and the next one may not connect.
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$work/session.sh" "$program" "$corpus"
passed=0
failed=0
[ ! -f "$corpus.failures" ] || failed=$(wc -l <"$corpus.failures")
for file in "$work/pristine"/*; do
    name=$(basename "$file")
    if cmp -s "$file" "$corpus/$name"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "changed by open and save: $name"
        cmp "$file" "$corpus/$name" | head -n 1 || true
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
