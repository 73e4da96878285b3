#pragma once

#include <QByteArray>
#include <QtGlobal>

// The registry calls the text-file association needs. Names and text data are UTF-8 bytes, a
// text's size counting its one terminating zero; results are the registry's status codes.
class Registry
{
public:
    using Handle = quint32;

    static constexpr Handle ClassesRoot = 0x80000000u;
    static constexpr quint32 AllAccess = 0x3F;
    static constexpr quint32 TypeText = 1;
    static constexpr quint32 TypeNumber = 4;
    static constexpr long Success = 0;
    static constexpr long FileNotFound = 2;
    static constexpr long AccessDenied = 5;
    static constexpr long InvalidHandle = 6;
    static constexpr long MoreData = 234;

    virtual ~Registry() = default;

    virtual long RegOpenKeyExA(
        Handle root, const QByteArray &subKey, quint32 options, quint32 access, Handle *result)
        = 0;
    // With data null only type and size are reported. Size counts a text's terminating zero.
    virtual long RegQueryValueExA(
        Handle key, const QByteArray &valueName, quint32 *type, QByteArray *data, quint32 *size)
        = 0;
    virtual long RegSetValueExA(
        Handle key, const QByteArray &valueName, quint32 type, const QByteArray &data)
        = 0;
    virtual long RegCloseKey(Handle key) = 0;
};
