#pragma once

#include <QColor>
#include <QtGlobal>

// Colours are stored as 32-bit values: 0x00BBGGRR for a plain colour, or 0x80000000 + n for
// the system colour n, which must follow the desktop's palette rather than be frozen.
constexpr quint32 SystemColorFlag = 0x80000000u;
constexpr quint32 SystemWindowText = SystemColorFlag + 8;

QColor colorFromOle(quint32 value);
quint32 oleFromColor(const QColor &color);
