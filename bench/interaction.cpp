// Times what a user does in a large document: each step is the handling of the input plus a
// repaint of the window, measured inside the program, the worst of several tries.
// Usage: omrik-interaction DOCUMENT   (under an X server; bench/run starts one)
#include "bench/interactionsteps.h"
#include "core/documentread.h"
#include "engine/textcontrol.h"
#include "platform/largememory.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

int main(int argc, char *argv[])
{
    keepFreedBlocks();
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: omrik-interaction DOCUMENT\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    TextControl box;
    box.resize(1000, 700);
    box.show();
    if (!QTest::qWaitForWindowExposed(&box))
        return 2;
    box.activateWindow();
    box.setFocus();
    Interaction on(box);
    const double openMs = timed(box, [&] {
        Result<LoadedDocument> read = readDocument(on.files, path);
        if (!read.ok())
            qFatal("cannot read %s", argv[1]);
        on.format = read.value().format;
        box.setText(std::move(read.value().text));
    });
    QTemporaryDir folder;
    on.savedPath = folder.filePath(QStringLiteral("saved.txt"));
    // What the disk itself costs: the file copied as cp copies it, then flushed. A save may
    // take at most 1.3 times the copy, plus the flush.
    // Copies and saves each start from the same fresh memory; the median of three copies
    // sets the bound.
    const qint64 fileSize = QFileInfo(path).size();
    on.warmth = 2 * fileSize + (256 << 20);
    const CopyFloor floor = diskFloor(path, folder.filePath(QStringLiteral("copy.txt")), on.warmth);
    const double saveBound = 1.3 * floor.copyMs + floor.flushMs;
    // Finding is held to 0.15 s for a gigabyte; a larger document has its bytes to go through
    // in proportion.
    const double findBound = 150.0 * std::max(1.0, double(fileSize) / (1 << 30));
    std::printf("| step | tries | worst ms | median ms | target ms | met |\n");
    std::printf("|---|---|---|---|---|---|\n");
    std::printf("| open %lld characters (read, decode, show) | 1 | %.1f | | | |\n",
        static_cast<long long>(box.textLength()),
        openMs);
    bool allMet = true;
    for (const Step &step : interactionSteps(on, saveBound, findBound))
        allMet = runStep(box, step) && allMet;
    const bool calm = on.stalls.longestMs() < 100;
    allMet = allMet && calm;
    std::printf("| Longest stall of the window during save and find | | %.1f | | 100 | %s |\n",
        on.stalls.longestMs(),
        calm ? "yes" : "NO");
    std::printf("\nThe disk: a copy as cp makes it %.1f ms, its flush %.1f ms; the save's target "
                "is 1.3 times the copy plus the flush.\n",
        floor.copyMs,
        floor.flushMs);
    std::printf(
        "\n%s\n", allMet ? "Every interaction target met." : "Some interaction targets missed.");
    return allMet ? 0 : 1;
}
