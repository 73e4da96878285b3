#pragma once

#include "platform/filestore.h"

#include <QThread>

// The disk's files, each read and write taking a while and telling its progress as it goes.
class SlowFileStore : public DiskFileStore
{
public:
    Result<QByteArray> readFile(const QString &path, Progress &progress) override
    {
        crawl(progress);
        return DiskFileStore::readFile(path, progress);
    }
    MaybeFailure writeParts(
        const QString &path, const PartSource &source, Progress &progress) override
    {
        crawl(progress);
        return DiskFileStore::writeParts(path, source, progress);
    }

private:
    static void crawl(Progress &progress)
    {
        progress.beginStage(10);
        for (int step = 0; step < 10; ++step) {
            QThread::msleep(40);
            progress.advance(1);
        }
    }
};
