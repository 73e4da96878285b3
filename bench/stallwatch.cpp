#include "bench/stallwatch.h"

#include <algorithm>

StallWatch::StallWatch()
{
    m_tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_tick, &QTimer::timeout, [this] {
        tick();
    });
}

void StallWatch::start()
{
    m_since.start();
    m_tick.start(5);
}

void StallWatch::stop()
{
    tick();
    m_tick.stop();
}

void StallWatch::tick()
{
    m_longest = std::max(m_longest, double(m_since.nsecsElapsed()) / 1e6);
    m_since.restart();
}
