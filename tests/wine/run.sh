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
# Wine's Z: drive is the Unix root. Spelling the path out, rather than asking winepath, spares a
# Wine process per path before every test.
windows_path() {
    local path
    path="$(realpath -m "$1")"
    printf 'Z:%s' "${path//\//\\}"
}
runtime="$(dirname "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")")"
pthread="$(dirname "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")")"
WINEPATH="$(windows_path "$qt_bin");$(windows_path "$runtime");$(windows_path "$pthread")"
QT_PLUGIN_PATH="$(windows_path "$qt_plugins")"
# The offscreen platform of a Windows Qt reads font files from one folder; the tests set
# their text in the DejaVu faces, as on Linux.
QT_QPA_FONTDIR="$(windows_path /usr/share/fonts/truetype/dejavu)"
# Without a console, Qt on Windows sends warnings and fatal errors to the debugger, which Wine
# keeps to itself; on standard error they reach the test's output.
QT_FORCE_STDERR_LOGGING=1
export WINEPATH QT_PLUGIN_PATH QT_QPA_FONTDIR QT_FORCE_STDERR_LOGGING
# Wine keeps QT_* variables for its own Unix side and hands a Windows program those named
# WINEQT_* instead, without the WINE.
while IFS='=' read -r name _; do
    export "WINE$name=${!name}"
done < <(env | grep -E '^QT_[A-Z_]*=')
# A Windows Qt Test program whose output is a pipe, as ctest gives it, writes its log
# nowhere that Wine passes on: the log goes to a file, which is shown after the run.
log="$(mktemp /tmp/omrik-wine-log.XXXXXX)"
run_logged() { wine "$1" -o "$(windows_path "$log"),txt" "${@:2}"; }
status=0
run_logged "$@" || status=$?
# Once in a long while a program under Wine ends before its log's first line, which Qt Test
# writes as it starts, with nothing on standard error. Such an end says nothing about what the
# test checks: the program is started once more, and the output says so. A test that fails
# once its log has begun is never run again.
if [ "$status" -ne 0 ] && [ ! -s "$log" ]; then
    echo "$(basename "$1") ended with status $status before its log began; starting it again"
    status=0
    run_logged "$@" || status=$?
fi
cat "$log"
rm -f "$log"
exit "$status"
