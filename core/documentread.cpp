#include "core/documentread.h"

#include "platform/modalwait.h"

#include <QScopeGuard>
#include <QThread>

namespace {

// A document that is read within this time of the start of its read is read without running
// any events, as if the call were an ordinary one.
constexpr unsigned long QuickRead = 50;

} // namespace

DocumentRead::DocumentRead(FileStore &files, const QString &path)
    : m_path(path)
    , m_quickUntil(QuickRead)
{
    // The first thread Qt meets becomes its main thread: that must be this one, not the reader.
    QThread::currentThread();
    const auto read = [this, &files] {
        try {
            Result<QByteArray> bytes = files.readFile(m_path);
            finish(bytes.ok() ? loadDocument(std::move(bytes.value()))
                              : Result<LoadedDocument>(bytes.failure()));
        } catch (const std::bad_alloc &) {
            finish(Failure { FailureNumber::OutOfMemory, QStringLiteral("Out of memory") });
        }
    };
    // A plain thread: a QThread would set up an event loop of its own, which looks at the
    // application object while the program may still be making it.
    try {
        m_worker = std::thread(read);
    } catch (const std::system_error &) {
        read();
    }
}

DocumentRead::~DocumentRead()
{
    if (m_worker.joinable())
        m_worker.join();
}

void DocumentRead::finish(Result<LoadedDocument> result)
{
    const QMutexLocker locker(&m_lock);
    m_result.emplace(std::move(result));
    m_done.wakeAll();
    // The reader may have started waiting at any moment; under the lock it either sees the
    // result or is told that it is there.
    if (m_waiting)
        m_waiting->stop();
}

Result<LoadedDocument> DocumentRead::take()
{
    QMutexLocker locker(&m_lock);
    // A read started long before it was asked for has had its moment; when it is still going
    // on, the window shows at once.
    while (!m_result && m_done.wait(&m_lock, m_quickUntil)) { }
    if (!m_result) {
        locker.unlock();
        // Closing the window while a document loads would run the questions of closing in the
        // middle of opening; the wait holds the close until the document is there.
        ModalWait waiting;
        locker.relock();
        if (!m_result) {
            m_waiting = &waiting;
            const auto stopWaiting = qScopeGuard([this, &locker] {
                locker.relock();
                m_waiting = nullptr;
            });
            locker.unlock();
            waiting.run();
        }
        // The wait may also have ended because the program is quitting.
        while (!m_result)
            m_done.wait(&m_lock);
    }
    Q_ASSERT(m_result);
    Result<LoadedDocument> result = std::move(*m_result);
    m_result.reset();
    return result;
}

void DocumentRead::discard()
{
    if (m_worker.joinable())
        m_worker.join();
    m_result.reset();
}

Result<LoadedDocument> readDocument(FileStore &files, const QString &path)
{
    return DocumentRead(files, path).take();
}
