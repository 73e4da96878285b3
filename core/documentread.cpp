#include "core/documentread.h"

#include "platform/parallel.h"

#include <QFileInfo>
#include <QThread>

namespace {

// A document that is read within this time of the start of its read is read without running
// any events, as if the call were an ordinary one.
constexpr unsigned long QuickRead = 50;
// A file is written this much at a time.
constexpr qsizetype SavePart = 4 * 1024 * 1024;

} // namespace

DocumentRead::DocumentRead(FileStore &files, const QString &path)
    : m_path(path)
    , m_quickUntil(QuickRead)
{
    // The first thread Qt meets becomes its main thread: that must be this one, not the reader.
    QThread::currentThread();
    const auto read = [this, &files] {
        try {
            Result<QByteArray> bytes = files.readFile(m_path, m_progress);
            m_result.emplace(bytes.ok() ? loadDocument(std::move(bytes.value()), &m_progress)
                                        : Result<LoadedDocument>(bytes.failure()));
        } catch (const std::bad_alloc &) {
            m_result.emplace(outOfMemoryFailure());
        }
        m_wait.finish();
    };
    // A plain thread: a QThread would set up an event loop of its own, which looks at the
    // application object while the program may still be making it.
    m_worker = startOrRun(read);
}

DocumentRead::~DocumentRead()
{
    if (m_worker.valid())
        m_worker.wait();
}

Result<LoadedDocument> DocumentRead::take()
{
    // A read started long before it was asked for has had its moment; when it is still going
    // on, the window shows at once.
    m_wait.wait(
        m_quickUntil, QStringLiteral("Opening %1").arg(QFileInfo(m_path).fileName()), m_progress);
    Q_ASSERT(m_result);
    Result<LoadedDocument> result = std::move(*m_result);
    m_result.reset();
    return result;
}

void DocumentRead::discard()
{
    if (m_worker.valid())
        m_worker.wait();
    m_result.reset();
}

Result<LoadedDocument> readDocument(FileStore &files, const QString &path)
{
    return DocumentRead(files, path).take();
}

MaybeFailure writeDocument(FileStore &files,
    const QString &path,
    const TextStorage &text,
    const DocumentFormat &format,
    Progress &progress)
{
    try {
        DocumentWriter writer(text, format, &progress);
        return files.writeParts(path, [&](QByteArray &part) {
            return writer.next(part, SavePart);
        });
    } catch (const std::bad_alloc &) {
        return outOfMemoryFailure();
    }
}
