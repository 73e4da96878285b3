#pragma once

#include "platform/registry.h"

#include <QHash>

#include <optional>

// A registry held in memory, so the association is tested without touching the system.
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
