#pragma once

#include <QtGlobal>

#include <algorithm>
#include <atomic>

// How far a long piece of work has come: written by the thread doing it, read by the window
// that shows it. The work comes in stages of equal weight, each counted in its own units
// (bytes read, characters searched), so no stage needs to know the size of the others.
class Progress
{
public:
    explicit Progress(int stages = 1)
        : m_stages(std::max(1, stages))
    { }

    // Starts the next stage; the first call starts the first.
    void beginStage(qint64 total)
    {
        m_done.store(0, std::memory_order_relaxed);
        m_total.store(total, std::memory_order_relaxed);
        m_stage.fetch_add(1, std::memory_order_relaxed);
    }
    void advance(qint64 amount) { m_done.fetch_add(amount, std::memory_order_relaxed); }

    // From 0 to 1. Read while the work goes on, it may mix two moments' figures; it is only
    // ever shown, never acted on.
    double fraction() const
    {
        const int stage = std::clamp(m_stage.load(std::memory_order_relaxed), 0, m_stages - 1);
        const qint64 total = m_total.load(std::memory_order_relaxed);
        const qint64 done = m_done.load(std::memory_order_relaxed);
        const double part = total > 0 ? std::clamp(double(done) / double(total), 0.0, 1.0) : 0.0;
        return m_stage.load(std::memory_order_relaxed) < 0 ? 0.0 : (stage + part) / m_stages;
    }

private:
    const int m_stages;
    std::atomic<int> m_stage { -1 };
    std::atomic<qint64> m_total { 0 };
    std::atomic<qint64> m_done { 0 };
};
