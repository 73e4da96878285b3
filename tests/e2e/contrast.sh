#!/usr/bin/env bash
# Measures on screen how readable the text is on each of the seven backgrounds, in a light
# palette and in a dark one (Qt's qt6ct platform theme with its "darker" scheme), with the
# desktop's text colour and with a colour the user chose: the window shows lines of solid
# block characters, a screenshot gives the text's colour, and every background pixel of the
# empty lines below must keep 4.5:1 against it.
set -euo pipefail
program="$1"
source "$(dirname "$0")/private_home.sh"
export QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_CONFIG_HOME/qt6ct"
scheme=/usr/share/qt6ct/colors/darker.conf
[ -f "$scheme" ] || { echo "qt6ct is missing (scripts/deps installs it)"; exit 1; }
printf '[Appearance]\ncolor_scheme_path=%s\ncustom_palette=true\nstyle=Fusion\n' "$scheme" \
    >"$XDG_CONFIG_HOME/qt6ct/qt6ct.conf"
python3 -c 'print(("\u2588" * 24 + "\n") * 2 + "\n" * 30, end="")' >"$work/blocks.txt"

cat >"$work/measure.py" <<'PYTHON'
import sys

def luminance(rgb):
    def channel(value):
        c = value / 255
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(v) for v in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b

def contrast(a, b):
    la, lb = luminance(a) + 0.05, luminance(b) + 0.05
    return max(la, lb) / min(la, lb)

path, x, y, width, height = sys.argv[1], *map(int, sys.argv[2:6])
with open(path, "rb") as f:
    data = f.read()
# A binary PPM: "P6", width, height, maximum, then the pixels.
fields = data.split(maxsplit=4)
screen_width = int(fields[1])
pixels = fields[4]
def pixel(px, py):
    at = 3 * (py * screen_width + px)
    return tuple(pixels[at:at + 3])
# In a window of 600 x 467 pixels the menu bar and the toolbar take the top 50 rows, and the
# text area ends 40 pixels before the right edge and 45 before the bottom; the text is two
# lines of blocks at its top, from row 53 to 117.
assert (width, height) == (600, 467), (width, height)
counts = {}
for py in range(y + 60, y + 110):
    for px in range(x + 20, x + 400):
        colour = pixel(px, py)
        counts[colour] = counts.get(colour, 0) + 1
text = max(counts, key=counts.get)
worst = min(contrast(text, pixel(px, py))
            for py in range(y + 130, y + 415) for px in range(x + 6, x + 570))
print("%.2f #%02x%02x%02x" % (worst, *text))
PYTHON

cat >"$work/session.sh" <<'INNER'
set -euo pipefail
program="$1"; work="$2"; palette="$3"; colour="$4"
ini="$XDG_CONFIG_HOME/OmrikNote/OmrikNote.ini"
for background in 0 1 2 3 4 5 6; do
    # The "(none)" background is the desktop's own; a colour the user chose is shown on it
    # as chosen, readable or not.
    [ "$colour" != default ] && [ "$background" = 4 ] && continue
    {
        printf '[Options]\nCheckDefault=No\nBackground=%s\n' "$background"
        printf '[Font]\nFontName=DejaVu Sans\nFontSize=20\n'
        [ "$colour" = default ] || printf 'Color=%s\n' "$colour"
        printf '[FormPlacement]\nLeft=600\nTop=600\nWidth=9000\nHeight=7000\n'
    } >"$ini"
    "$program" "$work/blocks.txt" 2>/dev/null &
    pid=$!
    window=""
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --name "^OmrikNote \(" 2>/dev/null | head -n 1) || true
        [ -n "$window" ] && break
        sleep 0.2
    done
    [ -n "$window" ] || { echo "no window"; kill $pid; exit 1; }
    sleep 2
    eval "$(xdotool getwindowgeometry --shell "$window")"
    import -window root -depth 8 "$work/shot.ppm"
    echo "$palette $colour background $background: $(python3 "$work/measure.py" \
        "$work/shot.ppm" "$X" "$Y" "$WIDTH" "$HEIGHT")"
    kill $pid
    wait $pid 2>/dev/null || true
done
INNER

# A light desktop is Qt's own palette, with no platform theme; a dark one is qt6ct's.
run() {
    local theme="$1"
    shift
    local display=(xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$work/session.sh"
        "$program" "$work" "$@")
    if [ -n "$theme" ]; then
        env QT_QPA_PLATFORMTHEME="$theme" "${display[@]}"
    else
        env -u QT_QPA_PLATFORMTHEME "${display[@]}"
    fi
}
{
    run "" light default
    run "" light 16777215
    run qt6ct dark default
    run qt6ct dark 0
} | tee "$work/results"
failed=$(awk '$5 < 4.5' "$work/results" | wc -l)
passed=$(($(wc -l <"$work/results") - failed))
[ "$passed" -eq 26 ] || echo "expected 26 measurements"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -eq 26 ]
