#include "platform/filestore.h"

#include "platform/freememory.h"
#include "platform/largememory.h"
#include "platform/nativefiles.h"
#include "platform/parallel.h"

#include <QFile>
#include <QSaveFile>
#include <QStorageInfo>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>

using nativefiles::ProgressStep;

Failure nativefiles::deviceFailure(const QFileDevice &device, const QFileInfo &target)
{
    if (device.error() == QFileDevice::ResourceError)
        return fileFailure(FileFailure::DiskFull);
    const QStorageInfo storage(target.absolutePath());
    if (!QFileInfo(target.absolutePath()).isWritable()
        || (storage.isValid() && storage.isReadOnly()))
        return fileFailure(FileFailure::PermissionDenied);
    if (device.error() == QFileDevice::WriteError)
        return fileFailure(FileFailure::DeviceIO, device.errorString());
    return fileFailure(FileFailure::PathFileAccess, device.errorString());
}

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

FileStamp FileStore::stamp(const QString &path)
{
    return nativefiles::stampOf(path);
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

// The whole of an open file, which may have grown since it was measured.
Result<QByteArray> readAll(QFile &file, qint64 size, Progress &progress)
{
    try {
        // One byte more than the size tells whether the file grew since it was measured.
        QByteArray bytes(size + 1, Qt::Uninitialized);
        preferHugePages(bytes.data(), bytes.size());
        const Result<qsizetype> start = nativefiles::readStart(file, bytes.data(), size, progress);
        if (!start.ok())
            return start.failure();
        qsizetype got = start.value();
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
            return fileFailure(FileFailure::DeviceIO, file.errorString());
        return bytes;
    } catch (const std::bad_alloc &) {
        return outOfMemoryFailure();
    }
}

// Why a file cannot be read from path, if it cannot.
MaybeFailure unreadable(const QString &path, const QFileInfo &info)
{
    if (path.isEmpty())
        return fileFailure(FileFailure::BadFileName);
    if (const MaybeFailure unnamable = nativefiles::nameFailure(path))
        return unnamable;
    if (!info.exists()) {
        return fileFailure(QFileInfo(info.absolutePath()).isDir() ? FileFailure::FileNotFound
                                                                  : FileFailure::PathNotFound);
    }
    // Folders and special files (FIFOs, devices) are not documents; reading a FIFO would
    // block the program until some writer appears.
    if (!info.isFile())
        return fileFailure(FileFailure::PathFileAccess);
    // The system may promise more memory than it has and end the program when it is used;
    // a file that cannot fit is refused while nothing has changed.
    const qint64 available = availableMemory();
    if (available >= 0 && info.size() > available)
        return outOfMemoryFailure();
    return std::nullopt;
}

// Why a file cannot be written at path at all, if it cannot.
MaybeFailure unwritable(const QString &path, const QFileInfo &info)
{
    if (path.isEmpty())
        return fileFailure(FileFailure::BadFileName);
    if (const MaybeFailure unnamable = nativefiles::nameFailure(path))
        return unnamable;
    if (!QFileInfo(info.absolutePath()).isDir())
        return fileFailure(FileFailure::PathNotFound);
    if (info.isDir())
        return fileFailure(FileFailure::PathFileAccess);
    // Replacing by rename would succeed on a read-only file in a writable folder; the user
    // marked it read-only to keep it, so honour that.
    if (info.exists() && !info.isWritable())
        return fileFailure(FileFailure::PermissionDenied);
    return std::nullopt;
}

Result<bool> makePart(const FileStore::PartSource &source, QByteArray &part)
{
    part.resize(0);
    try {
        return source(part);
    } catch (const std::bad_alloc &) {
        return outOfMemoryFailure();
    }
}

// Two buffers pass between a thread that makes the parts and the one that writes them, so that
// making and writing overlap and no memory is new after the first two parts. The maker stays
// on its own core for the whole file: a thread started for each part would begin on the
// writer's core and make little of its part until the system moved it.
class PartPipe
{
public:
    explicit PartPipe(const FileStore::PartSource &source)
        : m_source(source)
    { }

    // Fills the slots in turn, each once the writer has emptied it, until the source ends.
    void makeAll()
    {
        for (int n = 0;; n = 1 - n) {
            Slot &slot = m_slots[n];
            {
                std::unique_lock<std::mutex> held(m_lock);
                m_changed.wait(held, [&] {
                    return !slot.full || m_stopped;
                });
                if (m_stopped)
                    return;
            }
            // The writer leaves an empty slot alone, so it is filled without the lock.
            Result<bool> more = false;
            std::exception_ptr thrown;
            try {
                more = makePart(m_source, slot.bytes);
            } catch (...) {
                // Carried to the writer, which would otherwise wait for this slot for ever.
                thrown = std::current_exception();
            }
            const std::lock_guard<std::mutex> held(m_lock);
            slot.thrown = thrown;
            slot.more = more;
            slot.full = true;
            m_changed.notify_all();
            if (!more.ok() || !more.value())
                return;
        }
    }

    MaybeFailure writeAll(const std::function<MaybeFailure(const QByteArray &)> &write)
    {
        for (int n = 0;; n = 1 - n) {
            Slot &slot = m_slots[n];
            {
                std::unique_lock<std::mutex> held(m_lock);
                m_changed.wait(held, [&] {
                    return slot.full;
                });
            }
            if (slot.thrown)
                std::rethrow_exception(slot.thrown);
            if (!slot.more.ok())
                return stop(slot.more.failure());
            if (const MaybeFailure failed = write(slot.bytes))
                return stop(*failed);
            if (!slot.more.value())
                return std::nullopt;
            const std::lock_guard<std::mutex> held(m_lock);
            slot.full = false;
            m_changed.notify_all();
        }
    }

private:
    struct Slot
    {
        QByteArray bytes;
        Result<bool> more = true;
        std::exception_ptr thrown;
        bool full = false;
    };

    MaybeFailure stop(const Failure &failure)
    {
        const std::lock_guard<std::mutex> held(m_lock);
        m_stopped = true;
        m_changed.notify_all();
        return failure;
    }

    const FileStore::PartSource &m_source;
    Slot m_slots[2];
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_stopped = false;
};

MaybeFailure pipeParts(const FileStore::PartSource &source,
    const std::function<MaybeFailure(const QByteArray &)> &write)
{
    PartPipe pipe(source);
    std::optional<std::future<void>> maker = tryStart([&pipe] {
        pipe.makeAll();
    });
    if (maker) {
        const MaybeFailure failed = pipe.writeAll(write);
        maker->get();
        return failed;
    }
    // Without a second thread each part is made, then written.
    QByteArray part;
    for (;;) {
        const Result<bool> more = makePart(source, part);
        if (!more.ok())
            return more.failure();
        if (const MaybeFailure failed = write(part))
            return failed;
        if (!more.value())
            return std::nullopt;
    }
}

} // namespace

Result<QByteArray> DiskFileStore::readFile(const QString &path, Progress &progress)
{
    const QFileInfo info(path);
    if (const MaybeFailure refused = unreadable(path, info))
        return *refused;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!file.exists())
            return fileFailure(FileFailure::FileNotFound);
        if (!info.isReadable() || file.error() == QFileDevice::PermissionsError)
            return fileFailure(FileFailure::PermissionDenied);
        return fileFailure(FileFailure::PathFileAccess, file.errorString());
    }
    progress.beginStage(info.size());
    return readAll(file, info.size(), progress);
}

MaybeFailure FileStore::writeParts(const QString &path, const PartSource &source)
{
    const Result<QByteArray> bytes = gatherParts(source);
    return bytes.ok() ? writeFile(path, bytes.value()) : MaybeFailure(bytes.failure());
}

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

MaybeFailure DiskFileStore::writeParts(const QString &path, const PartSource &source)
{
    return writeFrom(path, source, nullptr);
}

namespace {

// Written over the old text, so nothing is written until all of it is there.
MaybeFailure writeOver(const QString &path,
    const FileStore::PartSource &source,
    const QFileInfo &info,
    Progress &written)
{
    const Result<QByteArray> bytes = gatherParts(source);
    if (!bytes.ok())
        return bytes.failure();
    return nativefiles::writeInPlace(path, bytes.value(), info, written);
}

// The new text goes to a temporary file beside the target and replaces it only once it is
// complete, so a failed save never leaves a half-written document behind. Nothing is written
// where the new file could not take the old one's owner: that is for writeOver().
std::optional<MaybeFailure> replace(const QString &path,
    const FileStore::PartSource &source,
    const QFileInfo &info,
    Progress &written)
{
    const nativefiles::ReplacedFileHold replaced(path);
    const nativefiles::FileIdentity identity(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return nativefiles::creationFailure(file, info);
    if (!identity.takeOwner(file)) {
        file.cancelWriting();
        return std::nullopt;
    }
    MaybeFailure failed = pipeParts(source, [&](const QByteArray &part) {
        return nativefiles::writePart(file, info, part, written);
    });
    if (!failed)
        failed = nativefiles::finishWriting(file, info);
    if (failed) {
        file.cancelWriting();
        return failed;
    }
    identity.takeTheRest(file);
    if (!file.commit())
        return nativefiles::deviceFailure(file, info);
    return MaybeFailure();
}

} // namespace

MaybeFailure DiskFileStore::writeFrom(
    const QString &path, const PartSource &source, Progress *writes)
{
    Progress unseen;
    Progress &written = writes ? *writes : unseen;
    const QFileInfo info(path);
    if (const MaybeFailure refused = unwritable(path, info))
        return refused;
    if (!nativefiles::hasOtherLinks(path)) {
        if (const std::optional<MaybeFailure> replaced = replace(path, source, info, written))
            return *replaced;
    }
    return writeOver(path, source, info, written);
}
