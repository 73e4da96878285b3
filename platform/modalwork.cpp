#include "platform/modalwork.h"

#include "platform/parallel.h"

#include <QApplication>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QTimer>

#include <memory>

namespace {

// Work done within this time looks like an ordinary call: no events run meanwhile.
constexpr int QuietWait = 50;
// A wait this long gets a progress window as well as the busy pointer.
constexpr int ShowProgressAfter = 150;
constexpr int ProgressSteps = 1000;

// The window that tells how far the work has come. It takes no input and no focus: the
// user's input waits until the work is done, and then goes where it was going.
class ProgressWindow
{
public:
    ProgressWindow(const QString &label, const Progress &progress)
        : m_label(label)
        , m_progress(progress)
    {
        m_show.setSingleShot(true);
        QObject::connect(&m_show, &QTimer::timeout, [this] {
            show();
        });
        QObject::connect(&m_update, &QTimer::timeout, [this] {
            update();
        });
        m_show.start(ShowProgressAfter);
    }

private:
    void show()
    {
        m_dialog = std::make_unique<QProgressDialog>(
            m_label, QString(), 0, ProgressSteps, QApplication::activeWindow());
        m_dialog->setWindowTitle(QGuiApplication::applicationDisplayName());
        m_dialog->setWindowModality(Qt::NonModal);
        m_dialog->setAttribute(Qt::WA_ShowWithoutActivating);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        update();
        m_dialog->show();
        m_update.start(50);
    }

    void update() { m_dialog->setValue(int(m_progress.fraction() * ProgressSteps)); }

    const QString m_label;
    const Progress &m_progress;
    QTimer m_show;
    QTimer m_update;
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace

void WorkWait::finish()
{
    const QMutexLocker locker(&m_lock);
    m_finished = true;
    m_done.wakeAll();
    // The window may have started waiting at any moment; under the lock it either sees the
    // end or is told of it.
    if (m_waiting)
        m_waiting->stop();
}

void WorkWait::wait(
    const QDeadlineTimer &quietUntil, const QString &label, const Progress &progress)
{
    QMutexLocker locker(&m_lock);
    while (!m_finished && m_done.wait(&m_lock, quietUntil)) { }
    if (m_finished)
        return;
    locker.unlock();
    // Closing the window during the work would run the questions of closing in the middle of
    // it; the wait holds the close until the work is done.
    ModalWait waiting;
    const ProgressWindow shown(label, progress);
    locker.relock();
    if (!m_finished) {
        m_waiting = &waiting;
        const auto stopWaiting = qScopeGuard([this, &locker] {
            locker.relock();
            m_waiting = nullptr;
        });
        locker.unlock();
        waiting.run();
    }
    // The wait may also have ended because the program is quitting.
    while (!m_finished)
        m_done.wait(&m_lock);
}

void runModally(const QString &label, const std::function<void(Progress &)> &work)
{
    Progress progress;
    WorkWait waited;
    std::future<void> worker = startOrRun([&] {
        const auto finish = qScopeGuard([&waited] {
            waited.finish();
        });
        work(progress);
    });
    waited.wait(QDeadlineTimer(QuietWait), label, progress);
    worker.get();
}
