#include "platform/olecolor.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

QColor systemColor(quint32 index)
{
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
    case 5: // window background
        return palette.color(QPalette::Base);
    case 15: // button face
        return palette.color(QPalette::Button);
    case 16: // button shadow
        return palette.color(QPalette::Dark);
    case 20: // 3-D highlight
        return palette.color(QPalette::Light);
    case 8: // window text
    default:
        return palette.color(QPalette::Text);
    }
}

} // namespace

QColor colorFromOle(quint32 value)
{
    if (value & SystemColorFlag)
        return systemColor(value & 0xFFu);
    return QColor(int(value & 0xFFu), int((value >> 8) & 0xFFu), int((value >> 16) & 0xFFu));
}

quint32 oleFromColor(const QColor &color)
{
    return quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16);
}
