#!/usr/bin/env bash
# Runs one Windows test program under Wine; ctest puts it before every test of the Windows
# build. Qt's DLLs and plugins come from the Qt the build used, the C++ runtime's from the
# compiler. Without a WINEPREFIX from scripts/test-windows, each test gets a scratch prefix of
# its own, which is slower but never touches the real user's ~/.wine.
#
#   tests/wine/run.sh QT_BIN QT_PLUGINS TEST_PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
qt_bin="$1" qt_plugins="$2"
shift 2
if [ -z "${WINEPREFIX:-}" ]; then
    # shellcheck source=tests/wine/private_prefix.sh
    source "$(dirname "$0")/private_prefix.sh"
fi
runtime="$(dirname "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")")"
pthread="$(dirname "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")")"
WINEPATH="$(winepath -w "$qt_bin");$(winepath -w "$runtime");$(winepath -w "$pthread")"
QT_PLUGIN_PATH="$(winepath -w "$qt_plugins")"
# The offscreen platform of a Windows Qt reads font files from one folder; the tests set
# their text in the DejaVu faces, as on Linux.
QT_QPA_FONTDIR="$(winepath -w /usr/share/fonts/truetype/dejavu)"
export WINEPATH QT_PLUGIN_PATH QT_QPA_FONTDIR
# Wine keeps QT_* variables for its own Unix side and hands a Windows program those named
# WINEQT_* instead, without the WINE.
while IFS='=' read -r name _; do
    export "WINE$name=${!name}"
done < <(env | grep -E '^QT_[A-Z_]*=')
# A Windows Qt Test program whose output is a pipe, as ctest gives it, writes its log
# nowhere that Wine passes on: the log goes to a file, which is shown after the run.
log="$(mktemp /tmp/omrik-wine-log.XXXXXX)"
status=0
wine "$1" -o "$(winepath -w "$log"),txt" "${@:2}" || status=$?
cat "$log"
rm -f "$log"
exit "$status"
