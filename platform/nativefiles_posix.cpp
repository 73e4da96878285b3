#include "platform/nativefiles.h"

#include "platform/parallel.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

// Written and read through the descriptor rather than QFileDevice, which keeps only a coarse
// kind of failure, and none at all for a write cut short by a full disk.
namespace nativefiles {

namespace {

// The system's own reason for a failed call. A disk counts as full only when the system says
// so: /proc and other file systems that hold no data report no free space at all.
Failure systemFailure(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return fileFailure(FileFailure::DiskFull);
    case EACCES:
    case EPERM:
    case EROFS:
        return fileFailure(FileFailure::PermissionDenied);
    case ENAMETOOLONG:
        return fileFailure(FileFailure::FileNameTooLong);
    case ELOOP:
        return fileFailure(FileFailure::LinkLoop);
    case EIO:
        return fileFailure(FileFailure::DeviceIO);
    default:
        return fileFailure(
            FileFailure::PathFileAccess, QString::fromLocal8Bit(std::strerror(error)));
    }
}

MaybeFailure failureOf(int error)
{
    return error ? MaybeFailure(systemFailure(error)) : std::nullopt;
}

// The system holds written data in memory until the final flush, which then writes it all
// while the save waits; with a gigabyte that is most of the save. Sending each step on to
// the disk as soon as it is written lets the disk work while the rest is still being made.
// Only a hint: where it is refused, the flush writes everything as before.
void startWriteBack(
    [[maybe_unused]] int descriptor, [[maybe_unused]] off_t from, [[maybe_unused]] off_t length)
{
#ifdef Q_OS_LINUX
    ::sync_file_range(descriptor, from, length, SYNC_FILE_RANGE_WRITE);
#endif
}

// Returns the system's error.
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

} // namespace

FileStamp stampOf(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return FileStamp();
    return { true,
        quint64(status.st_dev),
        quint64(status.st_ino),
        qint64(status.st_size),
        qint64(status.st_mtim.tv_sec),
        qint64(status.st_mtim.tv_nsec) };
}

MaybeFailure nameFailure(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) == 0)
        return std::nullopt;
    const int error = errno;
    if (error == ELOOP || error == ENAMETOOLONG)
        return systemFailure(error);
    return std::nullopt;
}

Result<qsizetype> readStart(QFileDevice &file, char *data, qsizetype size, Progress &progress)
{
    if (size < ReadInTwoFrom)
        return qsizetype(0);
    const int descriptor = file.handle();
    const qsizetype half = size / 2;
    Result<qsizetype> earlier = qsizetype(0);
    Result<qsizetype> later = qsizetype(0);
    runBoth(
        [&] {
            earlier = readRange(descriptor, data, 0, half, progress);
        },
        [&] {
            later = readRange(descriptor, data, half, size, progress);
        });
    if (!earlier.ok())
        return earlier;
    if (!later.ok())
        return later;
    // Where the two halves do not join, the file shrank under the earlier one, and what it
    // holds now is read once more in order.
    const qsizetype got = earlier.value() == half ? half + later.value() : 0;
    if (!file.seek(got))
        return fileFailure(FileFailure::DeviceIO, file.errorString());
    return got;
}

bool hasOtherLinks(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISREG(status.st_mode)
        && status.st_nlink > 1;
}

MaybeFailure writeInPlace(
    const QString &path, const QByteArray &bytes, const QFileInfo &, Progress &progress)
{
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
    return failureOf(error);
}

MaybeFailure writePart(
    QFileDevice &file, const QFileInfo &, const QByteArray &bytes, Progress &progress)
{
    return failureOf(writeAll(file.handle(), bytes, progress));
}

MaybeFailure finishWriting(QFileDevice &file, const QFileInfo &)
{
    return failureOf(syncToDisk(file.handle()));
}

Failure creationFailure(const QFileDevice &device, const QFileInfo &target)
{
    QByteArray name = QFile::encodeName(target.absolutePath()) + "/.omriknote-XXXXXX";
    const int descriptor = ::mkstemp(name.data());
    if (descriptor < 0)
        return systemFailure(errno);
    ::close(descriptor);
    ::unlink(name.constData());
    return deviceFailure(device, target);
}

FileIdentity::FileIdentity(const QString &path)
    : m_path(path)
{
    struct stat status;
    m_exists = ::stat(QFile::encodeName(path).constData(), &status) == 0;
    if (m_exists) {
        m_owner = status.st_uid;
        m_group = status.st_gid;
        m_mode = status.st_mode & 07777;
    }
}

bool FileIdentity::takeOwner(QFileDevice &file) const
{
    struct stat status;
    if (!m_exists || ::fstat(file.handle(), &status) != 0)
        return true;
    if (status.st_uid == m_owner && status.st_gid == m_group)
        return true;
    return ::fchown(file.handle(), m_owner, m_group) == 0;
}

namespace {

// The names of the extended attributes of the file at path, each ended by a zero byte. POSIX
// access control lists are among them ("system.posix_acl_access"), so copying them all keeps
// those too.
QByteArray attributeNames(const QByteArray &path)
{
    for (;;) {
        const ssize_t size = ::listxattr(path.constData(), nullptr, 0);
        if (size <= 0)
            return QByteArray();
        QByteArray names(size, Qt::Uninitialized);
        const ssize_t got = ::listxattr(path.constData(), names.data(), std::size_t(size));
        if (got >= 0)
            return names.first(got);
        // The list grew between the two calls.
        if (errno != ERANGE)
            return QByteArray();
    }
}

void copyAttribute(const QByteArray &path, const char *name, int descriptor)
{
    const ssize_t size = ::getxattr(path.constData(), name, nullptr, 0);
    if (size < 0)
        return;
    QByteArray value(size, Qt::Uninitialized);
    const ssize_t got = ::getxattr(path.constData(), name, value.data(), std::size_t(size));
    if (got >= 0)
        ::fsetxattr(descriptor, name, value.constData(), std::size_t(got), 0);
}

} // namespace

void FileIdentity::takeTheRest(QFileDevice &file) const
{
    if (!m_exists)
        return;
    // Changing the owner clears the set-user and set-group bits, so the mode comes after it;
    // an access control list comes after the mode, which would otherwise change its mask.
    ::fchmod(file.handle(), m_mode);
    const QByteArray path = QFile::encodeName(m_path);
    const QByteArray names = attributeNames(path);
    for (qsizetype at = 0; at < names.size();) {
        const char *name = names.constData() + at;
        copyAttribute(path, name, file.handle());
        at += qsizetype(std::strlen(name)) + 1;
    }
}

ReplacedFileHold::ReplacedFileHold(const QString &path)
{
    // Smaller files are freed quickly enough within the rename.
    constexpr qint64 LargeFile = 64 * 1024 * 1024;
    // Not blocking, so that a FIFO in the file's place cannot hold the save up.
    m_descriptor
        = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat status;
    if (m_descriptor >= 0
        && (::fstat(m_descriptor, &status) != 0 || !S_ISREG(status.st_mode)
            || status.st_size < LargeFile)) {
        ::close(m_descriptor);
        m_descriptor = -1;
    }
}

ReplacedFileHold::~ReplacedFileHold()
{
    if (m_descriptor >= 0)
        runUnwaited([held = m_descriptor] {
            ::close(held);
        });
}

} // namespace nativefiles
