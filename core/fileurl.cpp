#include "core/fileurl.h"

#include <QMimeData>
#include <QUrl>

QString localFileOf(const QUrl &url)
{
    if (!url.isValid() || !url.isLocalFile())
        return QString();
    if (url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return url.toLocalFile();
    QUrl here(url);
    here.setHost(QString());
    return here.toLocalFile();
}

QString droppedFile(const QMimeData &data)
{
    const QList<QUrl> urls = data.urls();
    for (const QUrl &url : urls) {
        const QString path = localFileOf(url);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}
