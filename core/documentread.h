#pragma once

#include "core/documentfile.h"
#include "platform/filestore.h"
#include "platform/modalwork.h"

#include <QDeadlineTimer>

#include <future>
#include <optional>

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
    const QString m_path;
    const QDeadlineTimer m_quickUntil;
    // Reading the bytes, then decoding them.
    Progress m_progress { 2 };
    std::optional<Result<LoadedDocument>> m_result; // written by the worker before m_wait ends
    WorkWait m_wait;
    std::future<void> m_worker;
};

// Reads and decodes a document on a worker thread and waits for it as DocumentRead::take does.
Result<LoadedDocument> readDocument(FileStore &files, const QString &path);

// Encodes and writes a document a few megabytes at a time, so a large one is never held
// whole; on the calling thread. The text must not change meanwhile.
MaybeFailure writeDocument(FileStore &files,
    const QString &path,
    const TextStorage &text,
    const DocumentFormat &format,
    Progress &progress);
