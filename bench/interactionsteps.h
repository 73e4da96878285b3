#pragma once

#include "bench/stallwatch.h"
#include "core/documentread.h"

#include <QRandomGenerator>
#include <QString>

#include <functional>
#include <vector>

class TextControl;

// One thing a user does, timed over several tries.
struct Step
{
    const char *name;
    double targetMs;
    int tries;
    std::function<void(int)> action;
    // Done before the tries and not timed, so that they time only what the step names.
    std::function<void()> prepare = {};
    // Done before each try, not timed.
    std::function<void()> beforeEach = {};
    // A step whose disk makes its tries vary is held to its target by their median.
    bool byMedian = false;
};

// What the steps act on: the window with the document, where it is saved, and how much fresh
// memory a save starts from. The steps keep references to it, so it outlives them.
struct Interaction
{
    explicit Interaction(TextControl &window)
        : box(window)
    { }

    TextControl &box;
    DiskFileStore files;
    DocumentFormat format;
    QString savedPath;
    qint64 warmth = 0;
    StallWatch stalls;
    QRandomGenerator random { 7 };

    qsizetype somewhere();
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {});
    void drag();
};

// Every step in the order they are taken: moving about, editing, word wrap, then saving and
// finding, which are held to the bounds the disk and the document's size set.
std::vector<Step> interactionSteps(Interaction &on, double saveBound, double findBound);

// Times the step's tries, prints its row and says whether it met its target.
bool runStep(TextControl &box, const Step &step);

// Touches fresh memory in huge pages and gives it back. A virtual machine that reports free
// memory to its host loses that memory once it is reported, and whatever touches it next
// waits for the host to back it again: over a second per GiB where this was written. Where
// the kernel holds freed memory back for a while (bench/run asks it to where it can), a timed
// save or copy then starts from memory that is there, as on a desktop.
void warmMemory(qint64 size);

// The action, then a repaint of the window, in milliseconds.
double timed(TextControl &box, const std::function<void()> &action);

struct CopyFloor
{
    double copyMs = 0;
    double flushMs = 0;
};

// What the disk itself costs: the file at from copied to a new file at to as cp copies it,
// then flushed; the median of three, each starting from warmth bytes of fresh memory.
CopyFloor diskFloor(const QString &from, const QString &to, qint64 warmth);
