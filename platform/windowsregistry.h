#pragma once

#include "platform/registry.h"

#ifdef Q_OS_WIN

#include <QHash>

#include <windows.h>

// The real registry. Behind the interface's UTF-8 it uses the wide-character advapi32 calls,
// which store any path as it is; the narrow ones would turn the letters of a folder name that
// the ANSI code page lacks into question marks.
class WindowsRegistry : public Registry
{
public:
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

private:
    static HKEY toKey(Handle handle);
    Handle remember(HKEY key);

    QHash<Handle, HKEY> m_keys;
    Handle m_next = 1;
};

#endif
