#pragma once

#include "platform/registry.h"

#ifdef Q_OS_WIN

#include <QHash>

#include <windows.h>

// The real registry, through the narrow-character advapi32 calls.
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
