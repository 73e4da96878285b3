#pragma once

#include <QElapsedTimer>
#include <QTimer>

// The longest the event loop went without running while it was being watched.
//
// Invariant: while watching, the timer ticks every 5 ms and m_since runs from the last tick;
// m_longest is the longest gap between ticks seen in any watch so far.
class StallWatch
{
public:
    StallWatch();
    void start();
    void stop();
    double longestMs() const { return m_longest; }

private:
    void tick();

    QTimer m_tick;
    QElapsedTimer m_since;
    double m_longest = 0;
};
