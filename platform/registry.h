#pragma once

#include <QByteArray>
#include <QHash>
#include <QtGlobal>

#include <optional>

// The narrow-character registry calls the text-file association needs. Names and text data
// are bytes in the system's 8-bit code page; results are the registry's status codes.
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

// A registry held in memory, for tests and for platforms without one.
class MemoryRegistry : public Registry
{
public:
    struct Value
    {
        quint32 type = TypeText;
        QByteArray data;
    };

    // Keys are matched without regard to letter case or a trailing backslash.
    void setStored(const QByteArray &key, const QByteArray &valueName, const Value &value);
    std::optional<Value> stored(const QByteArray &key, const QByteArray &valueName) const;
    void addKey(const QByteArray &key);

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

    int openHandles() const { return int(m_open.size()); }
    int openCalls = 0;

private:
    static QByteArray normalised(const QByteArray &key);

    QHash<QByteArray, QHash<QByteArray, Value>> m_keys;
    QHash<Handle, QByteArray> m_open;
    Handle m_nextHandle = 0x100;
};
