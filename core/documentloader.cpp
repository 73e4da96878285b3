#include "core/documentloader.h"

#include "platform/printer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <memory>
#include <optional>

namespace {

// A document that is read within this time is read without running any events, as if the
// call were an ordinary one.
constexpr unsigned long QuickRead = 50;

// Closing the window while a document loads would run the questions of closing in the middle
// of opening; the close waits until the document is there.
class CloseDeferral : public QObject
{
public:
    ~CloseDeferral() override
    {
        for (const QPointer<QWidget> &window : std::as_const(m_closing)) {
            if (window)
                QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
        }
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Close || !watched->isWidgetType())
            return false;
        auto *window = static_cast<QWidget *>(watched);
        // Tooltips and menus close themselves as usual; only the program's windows wait.
        const Qt::WindowType type = window->windowType();
        if (!window->isWindow() || type == Qt::Popup || type == Qt::ToolTip)
            return false;
        if (!m_closing.contains(window))
            m_closing.append(window);
        event->ignore();
        return true;
    }

private:
    QList<QPointer<QWidget>> m_closing;
};

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
        CloseDeferral deferral;
        QCoreApplication::instance()->installEventFilter(&deferral);
        waiting.exec(QEventLoop::ExcludeUserInputEvents);
        worker->wait();
    }
    return std::move(*result);
}
