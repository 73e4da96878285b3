#include "platform/windowsregistry.h"

#ifdef Q_OS_WIN

#include <QString>

#include <string>

#include <windows.h>

namespace {

std::wstring wide(const QByteArray &utf8)
{
    return QString::fromUtf8(utf8).toStdWString();
}

// A text value as the registry's wide calls store it, and back: UTF-16 with one terminating
// zero, handed on as UTF-8 with one terminating zero.
QByteArray wideText(const QByteArray &utf8)
{
    const qsizetype end = utf8.indexOf('\0');
    const std::wstring text = wide(end < 0 ? utf8 : utf8.left(end));
    return QByteArray(reinterpret_cast<const char *>(text.c_str()),
        qsizetype((text.size() + 1) * sizeof(wchar_t)));
}

QByteArray narrowText(const QByteArray &stored)
{
    QString text = QString::fromWCharArray(
        reinterpret_cast<const wchar_t *>(stored.constData()), stored.size() / 2);
    const qsizetype end = text.indexOf(QChar(0));
    if (end >= 0)
        text.truncate(end);
    return text.toUtf8() + '\0';
}

} // namespace

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
    // No key name holds a backslash, so one at the end names nothing more; Windows documents
    // key paths without it, so it is left out.
    QByteArray path = subKey;
    while (path.endsWith('\\'))
        path.chop(1);
    HKEY opened = nullptr;
    const LONG status = ::RegOpenKeyExW(toKey(root), wide(path).c_str(), options, access, &opened);
    if (status == ERROR_SUCCESS)
        *result = remember(opened);
    return status;
}

long WindowsRegistry::RegQueryValueExA(
    Handle key, const QByteArray &valueName, quint32 *type, QByteArray *data, quint32 *size)
{
    const HKEY opened = m_keys.value(key);
    const std::wstring name = wide(valueName);
    DWORD valueType = 0;
    DWORD length = 0;
    LONG status = ::RegQueryValueExW(opened, name.c_str(), nullptr, &valueType, nullptr, &length);
    QByteArray stored(qsizetype(length), '\0');
    if (status == ERROR_SUCCESS)
        status = ::RegQueryValueExW(opened,
            name.c_str(),
            nullptr,
            &valueType,
            reinterpret_cast<LPBYTE>(stored.data()),
            &length);
    if (status != ERROR_SUCCESS)
        return status;
    stored.truncate(qsizetype(length));
    const QByteArray value = valueType == REG_SZ ? narrowText(stored) : stored;
    *type = valueType;
    const auto needed = quint32(value.size());
    if (data) {
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        *data = value;
    }
    *size = needed;
    return ERROR_SUCCESS;
}

long WindowsRegistry::RegSetValueExA(
    Handle key, const QByteArray &valueName, quint32 type, const QByteArray &data)
{
    const QByteArray stored = type == REG_SZ ? wideText(data) : data;
    return ::RegSetValueExW(m_keys.value(key),
        wide(valueName).c_str(),
        0,
        type,
        reinterpret_cast<const BYTE *>(stored.constData()),
        DWORD(stored.size()));
}

long WindowsRegistry::RegCloseKey(Handle key)
{
    return ::RegCloseKey(m_keys.take(key));
}

#endif
