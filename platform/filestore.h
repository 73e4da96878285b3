#pragma once

#include "platform/failure.h"
#include "platform/progress.h"

#include <QByteArray>
#include <QString>

#include <functional>

// What a file on disk is at one moment: which file it is and its size and last change, to the
// nanosecond where the system keeps that. Two stamps of one path differ when the file was
// written or replaced between them.
struct FileStamp
{
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedSeconds = 0;
    qint64 modifiedNanoseconds = 0;

    bool operator==(const FileStamp &other) const
    {
        return exists == other.exists && device == other.device && inode == other.inode
            && size == other.size && modifiedSeconds == other.modifiedSeconds
            && modifiedNanoseconds == other.modifiedNanoseconds;
    }
    bool operator!=(const FileStamp &other) const { return !(*this == other); }
};

// Whole-file reads and writes. A document file is never held open between commands: each
// call opens, transfers everything and closes.
class FileStore
{
public:
    virtual ~FileStore() = default;
    // Each counts its bytes into progress as one stage.
    virtual Result<QByteArray> readFile(const QString &path, Progress &progress) = 0;
    virtual MaybeFailure writeFile(const QString &path, const QByteArray &bytes, Progress &progress)
        = 0;

    // Produces a file's bytes a part at a time: each call appends the next part to `part`
    // and says whether more are to come. A failure ends the write, the old file unchanged.
    using PartSource = std::function<Result<bool>(QByteArray &part)>;
    // Writes what source makes. The parts count their own progress; this one gathers them
    // and calls writeFile().
    virtual MaybeFailure writeParts(const QString &path, const PartSource &source);

    Result<QByteArray> readFile(const QString &path);
    MaybeFailure writeFile(const QString &path, const QByteArray &bytes);

    // One look at the file on disk, following symbolic links.
    virtual FileStamp stamp(const QString &path);
};

class DiskFileStore : public FileStore
{
public:
    using FileStore::readFile;
    using FileStore::writeFile;
    // A file larger than the memory still available is refused before any of it is read.
    Result<QByteArray> readFile(const QString &path, Progress &progress) override;
    MaybeFailure writeFile(
        const QString &path, const QByteArray &bytes, Progress &progress) override;
    // Makes the parts while writing them, so a large file is never held whole.
    MaybeFailure writeParts(const QString &path, const PartSource &source) override;

private:
    // writes, when given, counts the bytes as they are written.
    static MaybeFailure writeFrom(const QString &path, const PartSource &source, Progress *writes);
};
