#pragma once

#include "platform/registry.h"

#include <QString>
#include <QStringList>

// The text-file open command of a freedesktop.org desktop: reading it gives the command of
// the default application for text/plain; writing it installs our desktop entry and makes it
// that default. Only the one key the association uses exists here.
class FreedesktopRegistry : public Registry
{
public:
    static QString desktopFileName() { return QStringLiteral("omriknote.desktop"); }

    long RegOpenKeyExA(Handle root,
        const QByteArray &subKey,
        quint32 options,
        quint32 access,
        Handle *result) override;
    long RegQueryValueExA(Handle key,
        const QByteArray &valueName,
        quint32 *type,
        QByteArray *data,
        quint32 *size) override;
    long RegSetValueExA(
        Handle key, const QByteArray &valueName, quint32 type, const QByteArray &data) override;
    long RegCloseKey(Handle key) override;

    // The default application's Exec line as a command: program path unquoted, the file
    // argument as %1. Empty when there is none.
    static QString defaultTextCommand();
    // Exec value of a desktop entry -> command with %1; exposed for tests.
    static QString commandFromExec(const QString &exec);
    static QString execFromCommand(const QString &command);
    static bool installTextHandler(const QString &command);

private:
    static constexpr Handle CommandKey = 1;
    bool m_open = false;
};
