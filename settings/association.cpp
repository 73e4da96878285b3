#include "settings/association.h"

#include "platform/systemconventions.h"

#include <QDir>
#include <QtEndian>

#include <cstring>

namespace Association {

QByteArray commandKey()
{
    return QByteArrayLiteral("txtfile\\shell\\open\\command\\");
}

QString expectedCommand(const QString &programFolder)
{
    return QDir::toNativeSeparators(programFolder) + QDir::separator() + programFileName()
        + QStringLiteral(" %1");
}

bool commandsDiffer(const QString &current, const QString &expected)
{
    return current.toUpper() != expected.toUpper();
}

QString QueryClassesRootValue(
    Registry &registry, const QByteArray &keyName, const QByteArray &valueName)
{
    Registry::Handle key = 0;
    registry.RegOpenKeyExA(Registry::ClassesRoot, keyName, 0, Registry::AllAccess, &key);
    QVariant value;
    QueryValueEx(registry, key, valueName, value);
    registry.RegCloseKey(key);
    if (value.userType() == QMetaType::Int)
        return QString::number(value.toInt());
    return value.toString();
}

long QueryValueEx(
    Registry &registry, Registry::Handle key, const QByteArray &valueName, QVariant &value)
{
    quint32 type = 0;
    quint32 size = 0;
    long status = registry.RegQueryValueExA(key, valueName, &type, nullptr, &size);
    if (status != Registry::Success)
        return status;
    QByteArray data;
    switch (type) {
    case Registry::TypeText:
        data = QByteArray(int(size), '\0');
        status = registry.RegQueryValueExA(key, valueName, &type, &data, &size);
        value = status == Registry::Success
            ? QVariant(QString::fromUtf8(data.left(qMax(0, int(size) - 1))))
            : QVariant();
        return status;
    case Registry::TypeNumber:
        size = 4;
        status = registry.RegQueryValueExA(key, valueName, &type, &data, &size);
        if (status == Registry::Success && data.size() >= 4) {
            qint32 number = 0;
            std::memcpy(&number, data.constData(), 4);
            value = QVariant(qFromLittleEndian(number));
        }
        return status;
    default:
        return -1;
    }
}

void SetClassesRootValue(Registry &registry,
    const QByteArray &keyName,
    const QByteArray &valueName,
    const QVariant &value,
    quint32 type)
{
    Registry::Handle key = 0;
    registry.RegOpenKeyExA(Registry::ClassesRoot, keyName, 0, Registry::AllAccess, &key);
    SetValueEx(registry, key, valueName, type, value);
    registry.RegCloseKey(key);
}

long SetValueEx(Registry &registry,
    Registry::Handle key,
    const QByteArray &valueName,
    quint32 type,
    const QVariant &value)
{
    if (type == Registry::TypeText)
        return registry.RegSetValueExA(key, valueName, type, value.toString().toUtf8() + '\0');
    if (type == Registry::TypeNumber) {
        const qint32 number = qToLittleEndian(qint32(value.toInt()));
        return registry.RegSetValueExA(
            key, valueName, type, QByteArray(reinterpret_cast<const char *>(&number), 4));
    }
    return Registry::Success;
}

} // namespace Association
