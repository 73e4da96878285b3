#pragma once

#include "platform/filestore.h"

#include <QThread>

// The disk's files, each read and write taking a while: a read tells its progress as it goes,
// a write leaves that to the parts it is given.
class SlowFileStore : public DiskFileStore
{
public:
    Result<QByteArray> readFile(const QString &path, Progress &progress) override
    {
        crawl(progress);
        return DiskFileStore::readFile(path, progress);
    }
    // The writer tells its progress as it makes the parts; the disk then takes its time.
    MaybeFailure writeParts(const QString &path, const PartSource &source) override
    {
        return DiskFileStore::writeParts(path, [&source](QByteArray &part) {
            const Result<bool> more = source(part);
            QThread::msleep(400);
            return more;
        });
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
