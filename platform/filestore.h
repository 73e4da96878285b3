#pragma once

#include "platform/failure.h"

#include <QByteArray>
#include <QString>

// Whole-file reads and writes. A document file is never held open between commands: each
// call opens, transfers everything and closes.
class FileStore
{
public:
    virtual ~FileStore() = default;
    virtual Result<QByteArray> readFile(const QString &path) = 0;
    virtual MaybeFailure writeFile(const QString &path, const QByteArray &bytes) = 0;
};

class DiskFileStore : public FileStore
{
public:
    // Far above any text a person edits, and low enough that the decoded copy, the editor's
    // copy and the undo data of a file at the limit still fit in a desktop's memory.
    static constexpr qint64 MaximumFileSize = qint64(1) << 30;

    Result<QByteArray> readFile(const QString &path) override;
    MaybeFailure writeFile(const QString &path, const QByteArray &bytes) override;
};
