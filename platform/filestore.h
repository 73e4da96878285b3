#pragma once

#include "platform/failure.h"
#include "platform/progress.h"

#include <QByteArray>
#include <QString>

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
};
