#include "platform/windowsregistry.h"

#ifdef Q_OS_WIN

#include <windows.h>

HKEY WindowsRegistry::toKey(Handle handle)
{
    return handle == ClassesRoot ? HKEY_CLASSES_ROOT : nullptr;
}

Registry::Handle WindowsRegistry::remember(HKEY key)
{
    const Handle handle = m_next++;
    m_keys.insert(handle, key);
    return handle;
}

long WindowsRegistry::RegOpenKeyExA(
    Handle root, const QByteArray &subKey, quint32 options, quint32 access, Handle *result)
{
    HKEY opened = nullptr;
    const LONG status = ::RegOpenKeyExA(toKey(root), subKey.constData(), options, access, &opened);
    if (status == ERROR_SUCCESS)
        *result = remember(opened);
    return status;
}

long WindowsRegistry::RegQueryValueExA(
    Handle key, const QByteArray &valueName, quint32 *type, QByteArray *data, quint32 *size)
{
    DWORD valueType = 0;
    DWORD length = *size;
    QByteArray buffer(data ? int(*size) : 0, '\0');
    const LONG status = ::RegQueryValueExA(m_keys.value(key),
        valueName.constData(),
        nullptr,
        &valueType,
        data ? reinterpret_cast<LPBYTE>(buffer.data()) : nullptr,
        &length);
    *type = valueType;
    *size = length;
    if (status == ERROR_SUCCESS && data)
        *data = buffer.left(int(length));
    return status;
}

long WindowsRegistry::RegSetValueExA(
    Handle key, const QByteArray &valueName, quint32 type, const QByteArray &data)
{
    return ::RegSetValueExA(m_keys.value(key),
        valueName.constData(),
        0,
        type,
        reinterpret_cast<const BYTE *>(data.constData()),
        DWORD(data.size()));
}

long WindowsRegistry::RegCloseKey(Handle key)
{
    return ::RegCloseKey(m_keys.take(key));
}

#endif
