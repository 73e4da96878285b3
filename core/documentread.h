#pragma once

#include "core/documentfile.h"
#include "platform/filestore.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QWaitCondition>

#include <optional>
#include <thread>

class ModalWait;

// A document read and decoded on a worker thread from the moment this is made. The program
// starts reading the file named on its command line this way while Qt itself starts.
class DocumentRead
{
public:
    // `files` must outlive the read.
    DocumentRead(FileStore &files, const QString &path);
    // Waits for the worker when nobody took the result.
    ~DocumentRead();
    DocumentRead(const DocumentRead &) = delete;
    DocumentRead &operator=(const DocumentRead &) = delete;

    const QString &path() const { return m_path; }

    // The document, once. When it is not there within a moment, the window keeps painting and
    // answering the window system meanwhile; the user's input waits until the document is
    // there, so nothing can act on a half-opened file.
    Result<LoadedDocument> take();
    // Lets go of what was read, once the reader is done.
    void discard();

private:
    void finish(Result<LoadedDocument> result);

    const QString m_path;
    const QDeadlineTimer m_quickUntil;
    QMutex m_lock;
    std::optional<Result<LoadedDocument>> m_result;
    QWaitCondition m_done;
    ModalWait *m_waiting = nullptr; // guarded by m_lock
    std::thread m_worker;
};

// Reads and decodes a document on a worker thread and waits for it as DocumentRead::take does.
Result<LoadedDocument> readDocument(FileStore &files, const QString &path);
