#include "platform/filestore.h"

#include "platform/freememory.h"
#include "platform/largememory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#include <QMutex>
#include <QScopeGuard>
#include <QWaitCondition>

#include <algorithm>
#include <deque>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Reads and writes go this far at a time, so that their progress can be told.
constexpr qsizetype ProgressStep = 16 * 1024 * 1024;

Failure failure(int number, const char *description)
{
    return { number, QString::fromLatin1(description) };
}

Failure badFileName()
{
    return failure(FailureNumber::BadFileName, "Bad file name");
}

// Qt's error codes are coarse, so the cause is told from the file system's state where the
// device alone cannot say it.
Failure deviceFailure(const QFileDevice &device, const QFileInfo &target)
{
    if (device.error() == QFileDevice::ResourceError)
        return failure(FailureNumber::DiskFull, "Disk full");
    const QStorageInfo storage(target.absolutePath());
    if (!QFileInfo(target.absolutePath()).isWritable()
        || (storage.isValid() && storage.isReadOnly()))
        return failure(FailureNumber::PermissionDenied, "Permission denied");
    if (device.error() == QFileDevice::WriteError)
        return { FailureNumber::DeviceIO,
            QStringLiteral("Device I/O error: ") + device.errorString() };
    return { FailureNumber::PathFileAccess,
        QStringLiteral("Path/File access error: ") + device.errorString() };
}

#ifdef Q_OS_UNIX

// The system's own reason for a failed call. A disk counts as full only when the system says
// so: /proc and other file systems that hold no data report no free space at all.
Failure systemFailure(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return failure(FailureNumber::DiskFull, "Disk full");
    case EACCES:
    case EPERM:
    case EROFS:
        return failure(FailureNumber::PermissionDenied, "Permission denied");
    case ENAMETOOLONG:
        return failure(FailureNumber::BadFileName, "File name too long");
    case ELOOP:
        return failure(FailureNumber::LinkLoop, "Loop of symbolic links");
    case EIO:
        return failure(FailureNumber::DeviceIO, "Device I/O error");
    default:
        return { FailureNumber::PathFileAccess,
            QStringLiteral("Path/File access error: ")
                + QString::fromLocal8Bit(std::strerror(error)) };
    }
}

// The system holds written data in memory until the final flush, which then writes it all
// while the save waits; with a gigabyte that is most of the save. Sending each step on to
// the disk as soon as it is written lets the disk work while the rest is still being made.
// Only a hint: where it is refused, the flush writes everything as before.
void startWriteBack(int descriptor, off_t from, off_t length)
{
#ifdef Q_OS_LINUX
    ::sync_file_range(descriptor, from, length, SYNC_FILE_RANGE_WRITE);
#else
    Q_UNUSED(descriptor);
    Q_UNUSED(from);
    Q_UNUSED(length);
#endif
}

// Written through the descriptor rather than QFileDevice, which keeps only a coarse kind of
// failure, and none at all for a write cut short by a full disk. Returns the system's error.
int writeAll(int descriptor, const QByteArray &bytes, Progress &progress)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    off_t at = ::lseek(descriptor, 0, SEEK_CUR);
    while (left > 0) {
        const ssize_t written
            = ::write(descriptor, data, std::size_t(std::min<qsizetype>(left, ProgressStep)));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        if (at >= 0) {
            startWriteBack(descriptor, at, written);
            at += written;
        }
        data += written;
        left -= written;
        progress.advance(written);
    }
    return 0;
}

// Network file systems and quotas may report a full disk only when the data reaches it.
int syncToDisk(int descriptor)
{
    return ::fsync(descriptor) == 0 || errno == EINVAL ? 0 : errno;
}

#endif

MaybeFailure writePart(
    QFileDevice &file, const QFileInfo &target, const QByteArray &bytes, Progress &progress)
{
#ifdef Q_OS_UNIX
    Q_UNUSED(target);
    const int error = writeAll(file.handle(), bytes, progress);
    return error ? MaybeFailure(systemFailure(error)) : std::nullopt;
#else
    for (qsizetype done = 0; done < bytes.size(); done += ProgressStep) {
        const qsizetype part = std::min(ProgressStep, bytes.size() - done);
        if (file.write(bytes.constData() + done, part) != part)
            return deviceFailure(file, target);
        progress.advance(part);
    }
    return std::nullopt;
#endif
}

// What was written reaches the disk before the file counts as saved.
MaybeFailure finishWriting(QFileDevice &file, const QFileInfo &target)
{
#ifdef Q_OS_UNIX
    Q_UNUSED(target);
    const int error = syncToDisk(file.handle());
    return error ? MaybeFailure(systemFailure(error)) : std::nullopt;
#else
    // Flushed by hand: Qt's commit() reports success when its own final flush hits a full
    // disk, and would then replace the old file with a truncated one.
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return deviceFailure(file, target);
    return std::nullopt;
#endif
}

#ifndef Q_OS_UNIX
MaybeFailure writeThrough(
    QFileDevice &file, const QFileInfo &target, const QByteArray &bytes, Progress &progress)
{
    if (const MaybeFailure failed = writePart(file, target, bytes, progress))
        return failed;
    return finishWriting(file, target);
}
#endif

// Makes the parts on a thread of its own, a part or two ahead of the writing, so that making
// and writing them overlap. Two buffers take turns, so no memory is new after the first.
MaybeFailure pipeParts(const FileStore::PartSource &source,
    const std::function<MaybeFailure(const QByteArray &)> &write)
{
    struct Pipe
    {
        QMutex lock;
        QWaitCondition changed;
        std::deque<QByteArray> full;
        std::vector<QByteArray> spare { QByteArray(), QByteArray() };
        bool ended = false;
        bool stopped = false;
        MaybeFailure failed;
    } pipe;
    // Makes one part; false once no more are to be made.
    const auto makeOne = [&] {
        QByteArray part;
        {
            QMutexLocker locker(&pipe.lock);
            while (pipe.spare.empty() && !pipe.stopped)
                pipe.changed.wait(&pipe.lock);
            if (pipe.stopped)
                return false;
            part = std::move(pipe.spare.back());
            pipe.spare.pop_back();
        }
        part.resize(0);
        Result<bool> more = false;
        try {
            more = source(part);
        } catch (const std::bad_alloc &) {
            more = outOfMemoryFailure();
        }
        const QMutexLocker locker(&pipe.lock);
        pipe.full.push_back(std::move(part));
        pipe.ended = !more.ok() || !more.value();
        if (!more.ok())
            pipe.failed = more.failure();
        pipe.changed.wakeAll();
        return !pipe.ended;
    };
    std::thread maker;
    try {
        maker = std::thread([&] {
            while (makeOne()) { }
        });
    } catch (const std::system_error &) {
        // Without a second thread the parts are made between the writes; the pipe's two
        // buffers then always have room.
    }
    const auto stop = qScopeGuard([&] {
        {
            const QMutexLocker locker(&pipe.lock);
            pipe.stopped = true;
            pipe.changed.wakeAll();
        }
        if (maker.joinable())
            maker.join();
    });
    for (;;) {
        if (!maker.joinable() && !pipe.ended)
            makeOne();
        QByteArray part;
        {
            QMutexLocker locker(&pipe.lock);
            while (pipe.full.empty() && !pipe.ended)
                pipe.changed.wait(&pipe.lock);
            if (pipe.failed)
                return pipe.failed;
            if (pipe.full.empty())
                return std::nullopt;
            part = std::move(pipe.full.front());
            pipe.full.pop_front();
        }
        if (const MaybeFailure failed = write(part))
            return failed;
        const QMutexLocker locker(&pipe.lock);
        pipe.spare.push_back(std::move(part));
        pipe.changed.wakeAll();
    }
}

// A file replaced by rename has its blocks freed within the rename, which takes a good part
// of a second for a gigabyte on common file systems. Holding a large old file open moves that
// work to the last close, which a thread of its own makes once the save is done.
class ReplacedFileHold
{
public:
    explicit ReplacedFileHold(const QString &path)
    {
#ifdef Q_OS_UNIX
        // Not blocking, so that a FIFO in the file's place cannot hold the save up.
        m_descriptor = ::open(
            QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        struct stat status;
        if (m_descriptor >= 0
            && (::fstat(m_descriptor, &status) != 0 || !S_ISREG(status.st_mode)
                || status.st_size < LargeFile)) {
            ::close(m_descriptor);
            m_descriptor = -1;
        }
#else
        Q_UNUSED(path);
#endif
    }
    ReplacedFileHold(const ReplacedFileHold &) = delete;
    ReplacedFileHold &operator=(const ReplacedFileHold &) = delete;
    ~ReplacedFileHold()
    {
#ifdef Q_OS_UNIX
        if (m_descriptor < 0)
            return;
        try {
            std::thread([held = m_descriptor] {
                ::close(held);
            }).detach();
        } catch (const std::system_error &) {
            ::close(m_descriptor);
        }
#endif
    }

private:
    // Smaller files are freed quickly enough within the rename.
    static constexpr qint64 LargeFile = 64 * 1024 * 1024;
    int m_descriptor = -1;
};

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
MaybeFailure writeInPlace(
    const QString &path, const QByteArray &bytes, const QFileInfo &target, Progress &progress)
{
#ifdef Q_OS_UNIX
    Q_UNUSED(target);
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (descriptor < 0)
        return systemFailure(errno);
    struct stat status;
    int error = ::fstat(descriptor, &status) == 0 ? 0 : errno;
    // Where the file system cannot reserve room, the write itself tells.
    if (!error && bytes.size() > status.st_size) {
        const int reserved = ::posix_fallocate(descriptor, 0, bytes.size());
        if (reserved == ENOSPC || reserved == EDQUOT)
            error = reserved;
    }
    if (!error)
        error = writeAll(descriptor, bytes, progress);
    if (!error && ::ftruncate(descriptor, bytes.size()) != 0)
        error = errno;
    if (!error)
        error = syncToDisk(descriptor);
    if (::close(descriptor) != 0 && !error)
        error = errno;
    return error ? MaybeFailure(systemFailure(error)) : std::nullopt;
#else
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return deviceFailure(file, target);
    if (bytes.size() > file.size()
        && QStorageInfo(target.absolutePath()).bytesAvailable() < bytes.size() - file.size())
        return failure(FailureNumber::DiskFull, "Disk full");
    if (writeThrough(file, target, bytes, progress) || !file.resize(bytes.size()))
        return deviceFailure(file, target);
    file.close();
    return std::nullopt;
#endif
}

// Where Qt only finds that a file is not there, the system can say that its name cannot name
// anything at all.
MaybeFailure nameFailure(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) == 0)
        return std::nullopt;
    const int error = errno;
    if (error == ELOOP || error == ENAMETOOLONG)
        return systemFailure(error);
#else
    Q_UNUSED(path);
#endif
    return std::nullopt;
}

// Qt does not keep the reason why it could not make the temporary file; making one beside it
// again tells the system's own.
Failure creationFailure(const QFileDevice &device, const QFileInfo &target)
{
#ifdef Q_OS_UNIX
    QByteArray name = QFile::encodeName(target.absolutePath()) + "/.omriknote-XXXXXX";
    const int descriptor = ::mkstemp(name.data());
    if (descriptor < 0)
        return systemFailure(errno);
    ::close(descriptor);
    ::unlink(name.constData());
#endif
    return deviceFailure(device, target);
}

} // namespace

Result<QByteArray> FileStore::readFile(const QString &path)
{
    Progress unseen;
    return readFile(path, unseen);
}

MaybeFailure FileStore::writeFile(const QString &path, const QByteArray &bytes)
{
    Progress unseen;
    return writeFile(path, bytes, unseen);
}

namespace {

#ifdef Q_OS_UNIX
// A file this large is read by two threads, each one half. Reading from the system's cache is
// copying, and each fresh page of the buffer is cleared by the system first: two cores do
// both in half the time.
constexpr qsizetype ReadInTwoFrom = 64 * 1024 * 1024;

// Bytes [from, to) of the file into data at the same places. Returns how many there were
// before the file ended, or what the system said went wrong.
Result<qsizetype> readRange(
    int descriptor, char *data, qsizetype from, qsizetype to, Progress &progress)
{
    qsizetype at = from;
    while (at < to) {
        const ssize_t got = ::pread(
            descriptor, data + at, std::size_t(std::min(to - at, ProgressStep)), off_t(at));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return systemFailure(errno);
        if (got == 0)
            break;
        at += got;
        progress.advance(got);
    }
    return at - from;
}

// The first size bytes of the file, or as many as it has, read by two threads. Returns how many
// came, or -1 where the file shrank under the earlier half and so must be read again in order.
Result<qsizetype> readInTwo(int descriptor, char *data, qsizetype size, Progress &progress)
{
    const qsizetype half = size / 2;
    Result<qsizetype> later = qsizetype(0);
    std::thread second;
    try {
        second = std::thread([&] {
            later = readRange(descriptor, data, half, size, progress);
        });
    } catch (const std::system_error &) {
        return readRange(descriptor, data, 0, size, progress);
    }
    const Result<qsizetype> earlier = readRange(descriptor, data, 0, half, progress);
    second.join();
    if (!earlier.ok())
        return earlier;
    if (!later.ok())
        return later;
    return earlier.value() == half ? half + later.value() : -1;
}
#endif

// The whole of an open file, which may have grown since it was measured.
Result<QByteArray> readAll(QFile &file, qint64 size, Progress &progress)
{
    try {
        // One byte more than the size tells whether the file grew since it was measured.
        QByteArray bytes(size + 1, Qt::Uninitialized);
        preferHugePages(bytes.data(), bytes.size());
        qsizetype got = 0;
#ifdef Q_OS_UNIX
        if (size >= ReadInTwoFrom) {
            const Result<qsizetype> read = readInTwo(file.handle(), bytes.data(), size, progress);
            if (!read.ok())
                return read.failure();
            // Where the two halves do not join, what the file holds now is read once more.
            got = std::max<qsizetype>(read.value(), 0);
            if (!file.seek(got))
                return Failure { FailureNumber::DeviceIO,
                    QStringLiteral("Device I/O error: ") + file.errorString() };
        }
#endif
        while (got < bytes.size()) {
            const qint64 read
                = file.read(bytes.data() + got, std::min(ProgressStep, bytes.size() - got));
            if (read <= 0)
                break;
            got += read;
            progress.advance(read);
        }
        bytes.resize(got);
        while (!file.atEnd() && file.error() == QFileDevice::NoError)
            bytes += file.read(ProgressStep);
        if (file.error() != QFileDevice::NoError)
            return Failure { FailureNumber::DeviceIO,
                QStringLiteral("Device I/O error: ") + file.errorString() };
        return bytes;
    } catch (const std::bad_alloc &) {
        return outOfMemoryFailure();
    }
}

} // namespace

Result<QByteArray> DiskFileStore::readFile(const QString &path, Progress &progress)
{
    if (path.isEmpty())
        return badFileName();
    if (const MaybeFailure unnamable = nameFailure(path))
        return *unnamable;
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
    // The system may promise more memory than it has and end the program when it is used;
    // a file that cannot fit is refused while nothing has changed.
    const qint64 available = availableMemory();
    if (available >= 0 && info.size() > available)
        return outOfMemoryFailure();

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!file.exists())
            return failure(FailureNumber::FileNotFound, "File not found");
        if (!info.isReadable() || file.error() == QFileDevice::PermissionsError)
            return failure(FailureNumber::PermissionDenied, "Permission denied");
        return Failure { FailureNumber::PathFileAccess,
            QStringLiteral("Path/File access error: ") + file.errorString() };
    }
    progress.beginStage(info.size());
    return readAll(file, info.size(), progress);
}

namespace {

// All the parts at once.
Result<QByteArray> gatherParts(const FileStore::PartSource &source)
{
    QByteArray bytes;
    for (;;) {
        const Result<bool> more = source(bytes);
        if (!more.ok())
            return more.failure();
        if (!more.value())
            return bytes;
    }
}

} // namespace

MaybeFailure FileStore::writeParts(
    const QString &path, const PartSource &source, Progress &progress)
{
    const Result<QByteArray> bytes = gatherParts(source);
    return bytes.ok() ? writeFile(path, bytes.value(), progress) : MaybeFailure(bytes.failure());
}

namespace {

// Why a file cannot be written at path at all, if it cannot.
MaybeFailure unwritable(const QString &path, const QFileInfo &info)
{
    if (path.isEmpty())
        return badFileName();
    if (const MaybeFailure unnamable = nameFailure(path))
        return unnamable;
    if (!QFileInfo(info.absolutePath()).isDir())
        return failure(FailureNumber::PathNotFound, "Path not found");
    if (info.isDir())
        return failure(FailureNumber::PathFileAccess, "Path/File access error");
    // Replacing by rename would succeed on a read-only file in a writable folder; the user
    // marked it read-only to keep it, so honour that.
    if (info.exists() && !info.isWritable())
        return failure(FailureNumber::PermissionDenied, "Permission denied");
    return std::nullopt;
}

} // namespace

MaybeFailure DiskFileStore::writeFile(
    const QString &path, const QByteArray &bytes, Progress &progress)
{
    progress.beginStage(bytes.size());
    const auto whole = [&bytes, given = false](QByteArray &part) mutable -> Result<bool> {
        if (!given)
            part = bytes;
        given = true;
        return false;
    };
    return writeFrom(path, whole, &progress);
}

MaybeFailure DiskFileStore::writeParts(
    const QString &path, const PartSource &source, Progress &progress)
{
    Q_UNUSED(progress);
    return writeFrom(path, source, nullptr);
}

MaybeFailure DiskFileStore::writeFrom(
    const QString &path, const PartSource &source, Progress *writes)
{
    Progress unseen;
    Progress &written = writes ? *writes : unseen;
    const QFileInfo info(path);
    if (const MaybeFailure refused = unwritable(path, info))
        return refused;
    if (hasOtherLinks(path)) {
        // Written over the old text, so nothing is written until all of it is there.
        const Result<QByteArray> bytes = gatherParts(source);
        if (!bytes.ok())
            return bytes.failure();
        return writeInPlace(path, bytes.value(), info, written);
    }

    // The new text goes to a temporary file beside the target and replaces it only once it is
    // complete, so a failed save never leaves a half-written document behind.
    const ReplacedFileHold replaced(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return creationFailure(file, info);
    MaybeFailure failed = pipeParts(source, [&](const QByteArray &part) {
        return writePart(file, info, part, written);
    });
    if (!failed)
        failed = finishWriting(file, info);
    if (failed) {
        file.cancelWriting();
        return failed;
    }
    if (!file.commit())
        return deviceFailure(file, info);
    return std::nullopt;
}
