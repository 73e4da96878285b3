#include "tests/support/memoryregistry.h"

QByteArray MemoryRegistry::normalised(const QByteArray &key)
{
    QByteArray name = key.toLower();
    while (name.endsWith('\\'))
        name.chop(1);
    return name;
}

void MemoryRegistry::addKey(const QByteArray &key)
{
    m_keys[normalised(key)];
}

void MemoryRegistry::setStored(
    const QByteArray &key, const QByteArray &valueName, const Value &value)
{
    m_keys[normalised(key)].insert(valueName.toLower(), value);
}

std::optional<MemoryRegistry::Value> MemoryRegistry::stored(
    const QByteArray &key, const QByteArray &valueName) const
{
    const auto found = m_keys.constFind(normalised(key));
    if (found == m_keys.constEnd() || !found->contains(valueName.toLower()))
        return std::nullopt;
    return found->value(valueName.toLower());
}

long MemoryRegistry::RegOpenKeyExA(
    Handle root, const QByteArray &subKey, quint32, quint32, Handle *result)
{
    ++openCalls;
    if (root != ClassesRoot || !m_keys.contains(normalised(subKey)))
        return FileNotFound;
    *result = m_nextHandle++;
    m_open.insert(*result, normalised(subKey));
    return Success;
}

long MemoryRegistry::RegQueryValueExA(
    Handle key, const QByteArray &valueName, quint32 *type, QByteArray *data, quint32 *size)
{
    if (!m_open.contains(key))
        return InvalidHandle;
    const std::optional<Value> value = stored(m_open.value(key), valueName);
    if (!value)
        return FileNotFound;
    *type = value->type;
    const auto needed = quint32(value->data.size());
    if (data) {
        if (*size < needed)
            return MoreData;
        *data = value->data;
    }
    *size = needed;
    return Success;
}

long MemoryRegistry::RegSetValueExA(
    Handle key, const QByteArray &valueName, quint32 type, const QByteArray &data)
{
    if (!m_open.contains(key))
        return InvalidHandle;
    setStored(m_open.value(key), valueName, { type, data });
    return Success;
}

long MemoryRegistry::RegCloseKey(Handle key)
{
    return m_open.remove(key) ? Success : InvalidHandle;
}
