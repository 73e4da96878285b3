#include "core/documentloader.h"

#include "platform/printer.h"

#include <QEventLoop>
#include <QThread>

#include <memory>
#include <optional>

namespace {

// A document that is read within this time is read without running any events, as if the
// call were an ordinary one.
constexpr unsigned long QuickRead = 50;

} // namespace

Result<LoadedDocument> readDocument(FileStore &files, const QString &path)
{
    std::optional<Result<LoadedDocument>> result;
    const std::unique_ptr<QThread> worker(QThread::create([&result, &files, &path] {
        Result<QByteArray> bytes = files.readFile(path);
        if (bytes.ok())
            result.emplace(loadDocument(std::move(bytes.value())));
        else
            result.emplace(bytes.failure());
    }));
    // Connected before the start, so the end of the work cannot slip past the loop.
    QEventLoop waiting;
    QObject::connect(worker.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    worker->start();
    if (!worker->wait(QuickRead)) {
        const BusyPointer busy;
        waiting.exec(QEventLoop::ExcludeUserInputEvents);
        worker->wait();
    }
    return std::move(*result);
}
