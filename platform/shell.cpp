#include "platform/shell.h"

#include <QWidget>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shellapi.h>
#else
#include <QProcess>
#endif

void DesktopShell::openTarget(QWidget *owner,
    const QString &verb,
    const QString &target,
    const QString &parameters,
    const QString &folder,
    int showCommand)
{
#ifdef Q_OS_WIN
    const HWND window = owner ? reinterpret_cast<HWND>(owner->window()->winId()) : nullptr;
    ShellExecuteW(window,
        reinterpret_cast<LPCWSTR>(verb.utf16()),
        reinterpret_cast<LPCWSTR>(target.utf16()),
        parameters.isEmpty() ? nullptr : reinterpret_cast<LPCWSTR>(parameters.utf16()),
        folder.isEmpty() ? nullptr : reinterpret_cast<LPCWSTR>(folder.utf16()),
        showCommand);
#else
    // xdg-open knows only "open" and takes no parameters; it picks the desktop's default
    // browser or mail program itself. Started detached so that it outlives a quick exit.
    Q_UNUSED(owner);
    Q_UNUSED(verb);
    Q_UNUSED(parameters);
    Q_UNUSED(showCommand);
    QProcess::startDetached(QStringLiteral("xdg-open"), { target }, folder);
#endif
}
