#include "platform/filestore.h"

#include "platform/prefault.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace {

Failure failure(int number, const char *description)
{
    return { number, QString::fromLatin1(description) };
}

Failure badFileName()
{
    return failure(FailureNumber::BadFileName, "Bad file name");
}

// Qt's error codes are coarse, so the cause is told from the file system's state where the
// device alone cannot say it. A full disk can show up as a short write with no error at all.
Failure writeFailure(const QFileDevice &device, const QFileInfo &target, qint64 needed)
{
    if (device.error() == QFileDevice::ResourceError)
        return failure(FailureNumber::DiskFull, "Disk full");
    const QStorageInfo storage(target.absolutePath());
    if (!QFileInfo(target.absolutePath()).isWritable()
        || (storage.isValid() && storage.isReadOnly()))
        return failure(FailureNumber::PermissionDenied, "Permission denied");
    if (storage.isValid() && storage.bytesAvailable() < needed)
        return failure(FailureNumber::DiskFull, "Disk full");
    if (device.error() == QFileDevice::WriteError)
        return { FailureNumber::DeviceIO,
            QStringLiteral("Device I/O error: ") + device.errorString() };
    return { FailureNumber::PathFileAccess,
        QStringLiteral("Path/File access error: ") + device.errorString() };
}

// Replacing a file that has other hard links would cut it off from them; such a file is
// written in place, giving up atomicity only there.
bool hasOtherLinks(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISREG(status.st_mode)
        && status.st_nlink > 1;
#else
    Q_UNUSED(path);
    return false;
#endif
}

// The room for the new text is claimed before the old text is touched, so a full disk fails
// the save while the file still holds what it held.
bool reserveRoom(QFile &file, qint64 size)
{
#ifdef Q_OS_UNIX
    return size <= file.size() || ::posix_fallocate(file.handle(), 0, size) == 0;
#else
    return size <= file.size()
        || QStorageInfo(QFileInfo(file).absolutePath()).bytesAvailable() >= size - file.size();
#endif
}

MaybeFailure writeInPlace(const QString &path, const QByteArray &bytes, const QFileInfo &target)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return writeFailure(file, target, bytes.size());
    if (!reserveRoom(file, bytes.size()))
        return failure(FailureNumber::DiskFull, "Disk full");
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.resize(bytes.size()))
        return writeFailure(file, target, bytes.size());
    file.close();
    return std::nullopt;
}

} // namespace

Result<QByteArray> DiskFileStore::readFile(const QString &path)
{
    if (path.isEmpty())
        return badFileName();
    const QFileInfo info(path);
    if (!info.exists()) {
        return QFileInfo(info.absolutePath()).isDir()
            ? failure(FailureNumber::FileNotFound, "File not found")
            : failure(FailureNumber::PathNotFound, "Path not found");
    }
    // Folders and special files (FIFOs, devices) are not documents; reading a FIFO would
    // block the program until some writer appears.
    if (!info.isFile())
        return failure(FailureNumber::PathFileAccess, "Path/File access error");
    if (info.size() > MaximumFileSize)
        return failure(FailureNumber::FileTooLarge, "File is too large to open (over 1 GiB)");

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!file.exists())
            return failure(FailureNumber::FileNotFound, "File not found");
        if (!info.isReadable() || file.error() == QFileDevice::PermissionsError)
            return failure(FailureNumber::PermissionDenied, "Permission denied");
        return Failure { FailureNumber::PathFileAccess,
            QStringLiteral("Path/File access error: ") + file.errorString() };
    }
    // Asking for the limit at once would reserve a buffer of that size for every file. One
    // byte more than the size tells whether the file grew since it was measured.
    QByteArray bytes(qMin(info.size(), MaximumFileSize) + 1, Qt::Uninitialized);
    prefault(bytes.data(), bytes.size());
    bytes.resize(qMax<qint64>(0, file.read(bytes.data(), bytes.size())));
    while (!file.atEnd() && bytes.size() <= MaximumFileSize && file.error() == QFileDevice::NoError)
        bytes += file.read(1 << 20);
    if (file.error() != QFileDevice::NoError)
        return Failure { FailureNumber::DeviceIO,
            QStringLiteral("Device I/O error: ") + file.errorString() };
    if (bytes.size() > MaximumFileSize)
        return failure(FailureNumber::FileTooLarge, "File is too large to open (over 1 GiB)");
    return bytes;
}

MaybeFailure DiskFileStore::writeFile(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        return badFileName();
    const QFileInfo info(path);
    if (!QFileInfo(info.absolutePath()).isDir())
        return failure(FailureNumber::PathNotFound, "Path not found");
    if (info.isDir())
        return failure(FailureNumber::PathFileAccess, "Path/File access error");
    // Replacing by rename would succeed on a read-only file in a writable folder; the user
    // marked it read-only to keep it, so honour that.
    if (info.exists() && !info.isWritable())
        return failure(FailureNumber::PermissionDenied, "Permission denied");

    if (hasOtherLinks(path))
        return writeInPlace(path, bytes, info);

    // The new text goes to a temporary file beside the target and replaces it only once it is
    // complete, so a failed save never leaves a half-written document behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return writeFailure(file, info, bytes.size());
    // Flushed by hand: Qt's commit() reports success when its own final flush hits a full disk,
    // and would then replace the old file with a truncated one.
    if (file.write(bytes) != bytes.size() || !file.flush()
        || file.error() != QFileDevice::NoError) {
        const Failure result = writeFailure(file, info, bytes.size());
        file.cancelWriting();
        return result;
    }
    if (!file.commit())
        return writeFailure(file, info, bytes.size());
    return std::nullopt;
}
