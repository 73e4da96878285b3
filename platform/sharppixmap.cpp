#include "platform/sharppixmap.h"

#include <QFileInfo>

QString twicePath(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return path.left(dot) + QStringLiteral("@2x") + path.mid(dot);
}

QPixmap sharpPixmap(const QString &path, qreal devicePixelRatio)
{
    if (devicePixelRatio > 1) {
        const QString twice = twicePath(path);
        if (QFileInfo::exists(twice)) {
            // QPixmap keeps what it read from a path in its cache; asking again is cheap.
            QPixmap pixmap(twice);
            pixmap.setDevicePixelRatio(2);
            return pixmap;
        }
    }
    return QPixmap(path);
}

QIcon sharpIcon(const QString &path)
{
    QIcon icon { QPixmap(path) };
    if (QFileInfo::exists(twicePath(path))) {
        QPixmap twice(twicePath(path));
        twice.setDevicePixelRatio(2);
        icon.addPixmap(twice);
    }
    return icon;
}
