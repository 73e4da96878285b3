#pragma once

#include "platform/busypointer.h"

#include <QEventLoop>

#include <memory>

// Waits for work done outside the event loop without looking hung: the windows keep painting
// and answering the window system, the user's input waits, and the busy pointer shows. A
// window asked to close meanwhile closes once the wait is over, so the questions of closing
// never run in the middle of the work.
class ModalWait
{
public:
    ModalWait();
    ~ModalWait();
    ModalWait(const ModalWait &) = delete;
    ModalWait &operator=(const ModalWait &) = delete;

    // Runs events until stop() or until the program quits.
    void run();
    // Safe from any thread. The stop is queued: asked for just before run(), with no events run
    // in between, it ends run() as soon as it starts.
    void stop();

private:
    class CloseDeferral;

    const BusyPointer m_busy;
    std::unique_ptr<CloseDeferral> m_deferral;
    QEventLoop m_loop;
};
