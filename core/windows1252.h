#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Windows-1252 with the five bytes it leaves undefined mapped to the C1 controls of the same
// value, so that decoding never fails and encoding gives back the bytes that were read.
QString decodeWindows1252(QByteArrayView bytes);
std::optional<QByteArray> encodeWindows1252(const QString &text);
