#pragma once

#include "platform/modalwait.h"
#include "platform/progress.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QString>
#include <QWaitCondition>

#include <functional>
#include <optional>
#include <utility>

// The meeting point of work done on another thread and the window waiting for it. The window
// waits without running events for a moment, so that quick work looks like an ordinary call;
// after that it waits as ModalWait does, and once the wait has gone on a little longer a
// progress window tells how far the work has come.
class WorkWait
{
public:
    // Safe from any thread; everything the worker did before is seen after wait().
    void finish();
    // quietUntil: how long to wait before any event runs. label names the work for the user.
    void wait(const QDeadlineTimer &quietUntil, const QString &label, const Progress &progress);

private:
    QMutex m_lock;
    QWaitCondition m_done;
    bool m_finished = false;
    ModalWait *m_waiting = nullptr; // guarded by m_lock
};

// Runs work(progress) on a thread of its own and waits for it as WorkWait does. What the work
// throws is thrown here.
void runModally(const QString &label, const std::function<void(Progress &)> &work);

template<class Work>
auto runModallyFor(const QString &label, Work work)
{
    std::optional<decltype(work(std::declval<Progress &>()))> result;
    runModally(label, [&](Progress &progress) {
        result.emplace(work(progress));
    });
    return std::move(*result);
}
