#pragma once

#include "platform/failure.h"
#include "platform/progress.h"

#include <QByteArray>
#include <QString>

#include <functional>

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
