#pragma once

#include "platform/failure.h"
#include "platform/filestore.h"
#include "platform/progress.h"

#include <QByteArray>
#include <QFileDevice>
#include <QFileInfo>
#include <QString>

// What the file store asks of the system it runs on, one implementation for each:
// nativefiles_posix.cpp and nativefiles_win.cpp. The file store's portable checks sit around
// these in filestore.cpp.
namespace nativefiles {

// Reads and writes go this far at a time, so that their progress can be told.
constexpr qsizetype ProgressStep = 16 * 1024 * 1024;

// Qt's error codes are coarse, so the cause is told from the file system's state where the
// device alone cannot say it.
Failure deviceFailure(const QFileDevice &device, const QFileInfo &target);

// Where Qt only finds that a file is not there, the system can say that its name cannot name
// anything at all.
MaybeFailure nameFailure(const QString &path);

FileStamp stampOf(const QString &path);

// Reads what it can of the first size bytes of an open file into data, faster than one read
// after another where the system allows it; returns how many bytes came in order from the
// start, which may be none, and the file is positioned after them.
Result<qsizetype> readStart(QFileDevice &file, char *data, qsizetype size, Progress &progress);

// Replacing a file that has other hard links would cut it off from them; such a file is
// written in place, giving up atomicity only there.
bool hasOtherLinks(const QString &path);
// The room for the new text is claimed before the old text is touched, so a full disk fails
// the save while the file still holds what it held.
MaybeFailure writeInPlace(
    const QString &path, const QByteArray &bytes, const QFileInfo &target, Progress &progress);

// One part of a file written through file, which a replace will put in the target's place.
MaybeFailure writePart(
    QFileDevice &file, const QFileInfo &target, const QByteArray &bytes, Progress &progress);
// What was written reaches the disk before the file counts as saved.
MaybeFailure finishWriting(QFileDevice &file, const QFileInfo &target);
// What a file is besides its text: its owner and group, mode, extended attributes and access
// control lists, taken from the file at path (a new file has none to keep). The temporary file
// that replaces it takes them over; where it cannot take the owner, the file is written in
// place instead, so that it keeps the owner it had.
class FileIdentity
{
public:
    explicit FileIdentity(const QString &path);
    // Gives file the old file's owner and group; false where the system does not allow it.
    bool takeOwner(QFileDevice &file) const;
    // Gives file the rest, once its text is written. Attributes that this system or this
    // process cannot set are left out rather than failing a save the user asked for.
    void takeTheRest(QFileDevice &file) const;

private:
    QString m_path;
    bool m_exists = false;
    unsigned m_owner = 0;
    unsigned m_group = 0;
    unsigned m_mode = 0;
};

// Qt does not keep the reason why it could not make the temporary file; the system can tell.
Failure creationFailure(const QFileDevice &device, const QFileInfo &target);

// A file replaced by rename has its blocks freed within the rename, which takes a good part
// of a second for a gigabyte on common file systems. Holding a large old file open moves that
// work to the last close, which a thread of its own makes once the save is done.
class ReplacedFileHold
{
public:
    explicit ReplacedFileHold(const QString &path);
    ~ReplacedFileHold();
    ReplacedFileHold(const ReplacedFileHold &) = delete;
    ReplacedFileHold &operator=(const ReplacedFileHold &) = delete;

private:
    int m_descriptor = -1;
};

} // namespace nativefiles
