#include "core/documentloader.h"

#include "platform/printer.h"

#include <QEventLoop>
#include <QThread>

#include <memory>
#include <optional>

namespace {

// Below this a document reads in well under a frame; a thread would only add its start-up.
constexpr qsizetype BackgroundFrom = 1024 * 1024;

} // namespace

LoadedDocument loadInBackground(QByteArray bytes)
{
    if (bytes.size() < BackgroundFrom)
        return loadDocument(std::move(bytes));
    const BusyPointer busy;
    std::optional<LoadedDocument> loaded;
    const std::unique_ptr<QThread> worker(QThread::create([&loaded, &bytes] {
        loaded.emplace(loadDocument(std::move(bytes)));
    }));
    QEventLoop waiting;
    QObject::connect(worker.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    worker->start();
    waiting.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    return std::move(*loaded);
}
