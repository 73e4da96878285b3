#pragma once

#include "platform/registry.h"

#include <QString>
#include <QVariant>

// Reading and writing the command that opens text files. Registry failures are silent by
// design: a value that cannot be read reads as empty text, and a write that fails is dropped.
namespace Association {

QByteArray commandKey();

// The command that would start this program for a file, from the folder it runs in.
QString expectedCommand(const QString &programFolder);
// Letter case aside, anything else (quotes, spaces, path forms) counts as a difference.
bool commandsDiffer(const QString &current, const QString &expected);

QString QueryClassesRootValue(
    Registry &registry, const QByteArray &keyName, const QByteArray &valueName);
// value receives nothing, a text (QString) or a number (qint32); returns the status.
long QueryValueEx(
    Registry &registry, Registry::Handle key, const QByteArray &valueName, QVariant &value);
void SetClassesRootValue(Registry &registry,
    const QByteArray &keyName,
    const QByteArray &valueName,
    const QVariant &value,
    quint32 type);
long SetValueEx(Registry &registry,
    Registry::Handle key,
    const QByteArray &valueName,
    quint32 type,
    const QVariant &value);

} // namespace Association
