#include "platform/nativefiles.h"

#include <QDateTime>
#include <QFile>
#include <QStorageInfo>

#include <algorithm>

// Through Qt alone: it speaks to the Windows file API itself.
namespace nativefiles {

// Qt tells the last change to the millisecond, which is what FAT keeps at best anyway.
FileStamp stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return FileStamp();
    const qint64 modified = info.lastModified().toMSecsSinceEpoch();
    return { true, 0, 0, info.size(), modified / 1000, modified % 1000 * 1000000 };
}

MaybeFailure nameFailure(const QString &)
{
    return std::nullopt;
}

Result<qsizetype> readStart(QFileDevice &, char *, qsizetype, Progress &)
{
    return qsizetype(0);
}

bool hasOtherLinks(const QString &)
{
    return false;
}

MaybeFailure writePart(
    QFileDevice &file, const QFileInfo &target, const QByteArray &bytes, Progress &progress)
{
    for (qsizetype done = 0; done < bytes.size(); done += ProgressStep) {
        const qsizetype part = std::min(ProgressStep, bytes.size() - done);
        if (file.write(bytes.constData() + done, part) != part)
            return deviceFailure(file, target);
        progress.advance(part);
    }
    return std::nullopt;
}

MaybeFailure finishWriting(QFileDevice &file, const QFileInfo &target)
{
    // Flushed by hand: Qt's commit() reports success when its own final flush hits a full
    // disk, and would then replace the old file with a truncated one.
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return deviceFailure(file, target);
    return std::nullopt;
}

MaybeFailure writeInPlace(
    const QString &path, const QByteArray &bytes, const QFileInfo &target, Progress &progress)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return deviceFailure(file, target);
    if (bytes.size() > file.size()
        && QStorageInfo(target.absolutePath()).bytesAvailable() < bytes.size() - file.size())
        return fileFailure(FileFailure::DiskFull);
    if (writePart(file, target, bytes, progress) || finishWriting(file, target)
        || !file.resize(bytes.size()))
        return deviceFailure(file, target);
    file.close();
    return std::nullopt;
}

Failure creationFailure(const QFileDevice &device, const QFileInfo &target)
{
    return deviceFailure(device, target);
}

// Windows keeps a file's owner and security with its folder's inheritance; Qt's replace keeps
// the rest it can.
FileIdentity::FileIdentity(const QString &path)
    : m_path(path)
{ }

bool FileIdentity::takeOwner(QFileDevice &) const
{
    return true;
}

void FileIdentity::takeTheRest(QFileDevice &) const { }

ReplacedFileHold::ReplacedFileHold(const QString &) { }

ReplacedFileHold::~ReplacedFileHold() = default;

} // namespace nativefiles
