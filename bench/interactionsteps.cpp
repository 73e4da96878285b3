#include "bench/interactionsteps.h"

#include "engine/textcontrol.h"
#include "platform/modalwork.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTest>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

// Copies from to a new file to with 128 KiB reads and writes, as cp does, then flushes it.
CopyFloor copyFloor(const QString &from, const QString &to)
{
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY);
    const int out = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0)
        qFatal("cannot copy the document");
    std::vector<char> buffer(128 * 1024);
    QElapsedTimer clock;
    clock.start();
    for (ssize_t got; (got = ::read(in, buffer.data(), buffer.size())) > 0;) {
        if (::write(out, buffer.data(), std::size_t(got)) != got)
            qFatal("cannot copy the document");
    }
    CopyFloor floor;
    floor.copyMs = double(clock.nsecsElapsed()) / 1e6;
    clock.restart();
    ::fsync(out);
    floor.flushMs = double(clock.nsecsElapsed()) / 1e6;
    ::close(in);
    ::close(out);
    QFile::remove(to);
    return floor;
}

std::vector<Step> movingSteps(Interaction &on)
{
    return {
        { "Ctrl+End, then Ctrl+Home",
            16,
            10,
            [&on](int i) {
                on.key(i % 2 ? Qt::Key_Home : Qt::Key_End, Qt::ControlModifier);
            } },
        { "Page Down",
            16,
            30,
            [&on](int) {
                on.key(Qt::Key_PageDown);
            } },
        { "Page Up",
            16,
            30,
            [&on](int) {
                on.key(Qt::Key_PageUp);
            } },
        { "Arrow down",
            16,
            30,
            [&on](int) {
                on.key(Qt::Key_Down);
            } },
        { "Scroll-bar drag",
            16,
            30,
            [&on](int) {
                on.drag();
            } },
    };
}

std::vector<Step> typingSteps(Interaction &on)
{
    return {
        { "Keystroke (after a click somewhere)",
            16,
            30,
            [&on](int i) {
                if (i % 5 == 0)
                    on.box.setSelStart(on.somewhere());
                on.key(Qt::Key_A);
            } },
        // Each keystroke in another place of the first line, so every edit splits a piece
        // ahead of all the others. Scrolling to the top first is another step's work.
        { "Keystroke on the first line",
            16,
            30,
            [&on](int i) {
                on.box.setSelStart(i % 7);
                on.key(Qt::Key_A);
            },
            [&on] {
                on.box.setSelStart(0);
            } },
        { "Enter",
            16,
            10,
            [&on](int) {
                on.key(Qt::Key_Return);
            } },
        { "Backspace",
            16,
            30,
            [&on](int) {
                on.key(Qt::Key_Backspace);
            } },
        { "Delete",
            16,
            30,
            [&on](int) {
                on.key(Qt::Key_Delete);
            } },
    };
}

std::vector<Step> wholeDocumentSteps(Interaction &on)
{
    return {
        { "Select all",
            16,
            5,
            [&on](int) {
                on.box.setSelStart(0);
                on.box.setSelLength(on.box.textLength());
            } },
        { "Keystroke over the whole selection, then undo",
            16,
            4,
            [&on](int i) {
                if (i % 2 == 0) {
                    on.box.setSelStart(0);
                    on.box.setSelLength(on.box.textLength());
                    on.key(Qt::Key_B);
                } else {
                    on.box.undoLastEdit();
                }
            } },
        { "Undo and redo",
            16,
            10,
            [&on](int) {
                on.box.undoLastEdit();
            } },
    };
}

std::vector<Step> wrappedSteps(Interaction &on)
{
    return {
        { "Word wrap on, then off",
            16,
            6,
            [&on](int i) {
                on.box.setWordWrap(i % 2 == 0);
            } },
        { "Scroll-bar drag, wrapped",
            16,
            30,
            [&on](int i) {
                if (i == 0)
                    on.box.setWordWrap(true);
                on.drag();
            } },
        { "Keystroke, wrapped",
            16,
            30,
            [&on](int) {
                on.key(Qt::Key_C);
            } },
        { "Page Down, wrapped",
            16,
            30,
            [&on](int) {
                on.key(Qt::Key_PageDown);
            } },
        { "Ctrl+End, wrapped",
            16,
            4,
            [&on](int i) {
                on.key(i % 2 ? Qt::Key_Home : Qt::Key_End, Qt::ControlModifier);
            } },
    };
}

std::vector<Step> savingAndFindingSteps(Interaction &on, double saveBound, double findBound)
{
    return {
        { "Save (encode, write and flush), as the Save command does",
            saveBound,
            3,
            [&on](int) {
                on.stalls.start();
                const MaybeFailure failed
                    = runModallyFor(QStringLiteral("Saving"), [&on](Progress &progress) {
                          return writeDocument(
                              on.files, on.savedPath, on.box.storage(), on.format, progress);
                      });
                on.stalls.stop();
                if (failed)
                    qFatal("save failed");
            },
            {},
            [&on] {
                warmMemory(on.warmth);
            },
            true },
        { "Find a string that is not there, as the Find command does",
            findBound,
            3,
            [&on](int) {
                on.stalls.start();
                const qsizetype at
                    = runModallyFor(QStringLiteral("Searching"), [&on](Progress &progress) {
                          return on.box.storage().indexOf(u"no such words here", 0, &progress);
                      });
                on.stalls.stop();
                if (at != -1)
                    qFatal("found what is not there");
            } },
    };
}

} // namespace

qsizetype Interaction::somewhere()
{
    return qsizetype(random.bounded(qint64(box.textLength())));
}

void Interaction::key(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(&box, key, modifiers);
}

void Interaction::drag()
{
    QScrollBar *bar = box.verticalScrollBar();
    bar->setSliderPosition(int(random.bounded(bar->maximum() + 1)));
}

std::vector<Step> interactionSteps(Interaction &on, double saveBound, double findBound)
{
    std::vector<Step> steps;
    for (std::vector<Step> part : { movingSteps(on),
             typingSteps(on),
             wholeDocumentSteps(on),
             wrappedSteps(on),
             savingAndFindingSteps(on, saveBound, findBound) })
        steps.insert(steps.end(), part.begin(), part.end());
    return steps;
}

bool runStep(TextControl &box, const Step &step)
{
    std::vector<double> times;
    if (step.prepare) {
        step.prepare();
        box.viewport()->repaint();
        QApplication::processEvents();
    }
    for (int i = 0; i < step.tries; ++i) {
        if (step.beforeEach)
            step.beforeEach();
        times.push_back(timed(box, [&] {
            step.action(i);
        }));
    }
    std::sort(times.begin(), times.end());
    const double worst = times.back();
    const double median = times[times.size() / 2];
    const bool met = (step.byMedian ? median : worst) < step.targetMs;
    std::printf("| %s | %d | %.1f | %.1f | %.0f | %s |\n",
        step.name,
        step.tries,
        worst,
        median,
        step.targetMs,
        met ? "yes" : "NO");
    QApplication::processEvents();
    return met;
}

void warmMemory(qint64 size)
{
    void *block = ::mmap(
        nullptr, std::size_t(size), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        return;
    ::madvise(block, std::size_t(size), MADV_HUGEPAGE);
    for (qint64 at = 0; at < size; at += 4096)
        static_cast<volatile char *>(block)[at] = 1;
    ::munmap(block, std::size_t(size));
}

double timed(TextControl &box, const std::function<void()> &action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    box.viewport()->repaint();
    return double(timer.nsecsElapsed()) / 1e6;
}

CopyFloor diskFloor(const QString &from, const QString &to, qint64 warmth)
{
    std::vector<CopyFloor> copies;
    for (int i = 0; i < 3; ++i) {
        warmMemory(warmth);
        copies.push_back(copyFloor(from, to));
    }
    std::sort(copies.begin(), copies.end(), [](const CopyFloor &a, const CopyFloor &b) {
        return a.copyMs + a.flushMs < b.copyMs + b.flushMs;
    });
    return copies[1];
}
