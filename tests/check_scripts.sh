#!/usr/bin/env bash
# Runs scripts/check-dialogs and scripts/check-windows on a scratch repository of a few files,
# to see that each fails on what it is meant to catch, names the file, and passes otherwise.
set -euo pipefail
source_root="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" GIT_CONFIG_NOSYSTEM=1
mkdir -p "$HOME" "$work/repo/scripts"
cp "$source_root/scripts/check-dialogs" "$source_root/scripts/check-windows" "$work/repo/scripts/"
# The installer is not what is tested here, and must not ask for a password.
printf '#!/bin/sh\n' >"$work/repo/scripts/deps"
chmod 755 "$work/repo/scripts/deps"
cd "$work/repo"
git init -q .
failed=0
expect() { # STATUS WANTED-TEXT UNWANTED-TEXT COMMAND...
    local want_status="$1" want="$2" unwanted="$3" output status=0
    shift 3
    output="$("$@" 2>&1)" || status=$?
    if [ $((status != 0)) -ne "$want_status" ] || ! grep -qF -- "$want" <<<"$output" \
        || { [ -n "$unwanted" ] && grep -qF -- "$unwanted" <<<"$output"; }; then
        echo "FAIL: $* exited $status:"; echo "$output"; failed=1
    fi
}

mkdir -p ui platform tests engine
printf 'void f()\n{\n    QMessageBox::warning(nullptr, "a", "b");\n}\n' >ui/form.cpp
printf 'QMessageBox box;\nauto b = QMessageBox::Ok;\n' >platform/prompt.cpp
printf 'auto d = findChild<QFontDialog *>();\n' >tests/tst_x.cpp
printf '#include <QPrintDialog>\n' >engine/later.h
git add ui platform tests
expect 1 'ui/form.cpp:3:    QMessageBox::warning' 'platform/prompt.cpp' scripts/check-dialogs
expect 1 'engine/later.h:1:#include <QPrintDialog>' 'tests/tst_x.cpp' scripts/check-dialogs
rm ui/form.cpp engine/later.h
expect 0 'no dialogs opened outside platform/' '' scripts/check-dialogs

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
    echo "SKIP: check-windows needs MinGW (scripts/deps installs it)"
    # CTest counts exit status 77 as skipped.
    [ "$failed" -eq 0 ] && exit 77
    exit "$failed"
fi
rm -r ui platform tests
mkdir -p platform tests engine
printf '#include <QString>\n#ifdef Q_OS_WIN\nQString name() { return unknown; }\n#endif\n' \
    >platform/shell.cpp
printf 'this is not C++\n' >tests/tst_x.cpp
printf '#include <QWidget>\nint width(const QWidget &w) { return w.width(); }\n' >engine/new.cpp
expect 1 "platform/shell.cpp:3:" 'tests/tst_x.cpp' scripts/check-windows
printf '#include <QString>\n#ifdef Q_OS_WIN\nint unused() { int n = 0; return 1; }\n#endif\n' \
    >platform/shell.cpp
expect 1 "unused variable" '' scripts/check-windows
printf '#include <QString>\n#ifdef Q_OS_WIN\nQString name() { return {}; }\n#endif\n' \
    >platform/shell.cpp
expect 0 '2 source files compile for Windows' '' scripts/check-windows

[ "$failed" -eq 0 ] && echo "1 passed, 0 failed"
exit "$failed"
