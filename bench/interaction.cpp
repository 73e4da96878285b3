// Times what a user does in a large document: each step is the handling of the input plus a
// repaint of the window, measured inside the program, the worst of several tries.
// Usage: omrik-interaction DOCUMENT   (under an X server; bench/run starts one)
#include "core/documentread.h"
#include "engine/textcontrol.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>

namespace {

struct Step
{
    const char *name;
    double targetMs;
    int tries;
    std::function<void(int)> action;
    // Done before the tries and not timed, so that they time only what the step names.
    std::function<void()> prepare = {};
};

double timed(TextControl &box, const std::function<void()> &action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    box.viewport()->repaint();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
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
    DiskFileStore files;
    DocumentFormat format;
    const double openMs = timed(box, [&] {
        Result<LoadedDocument> read = readDocument(files, path);
        if (!read.ok())
            qFatal("cannot read %s", argv[1]);
        format = read.value().format;
        box.setText(std::move(read.value().text));
    });
    QTemporaryDir folder;
    const QString savedPath = folder.filePath(QStringLiteral("saved.txt"));
    QRandomGenerator random(7);
    auto somewhere = [&] {
        return int(random.bounded(box.textLength()));
    };
    auto key = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(&box, key, modifiers);
    };
    auto drag = [&] {
        QScrollBar *bar = box.verticalScrollBar();
        bar->setSliderPosition(int(random.bounded(bar->maximum() + 1)));
    };
    const Step steps[] = {
        { "Ctrl+End, then Ctrl+Home",
            16,
            10,
            [&](int i) {
                key(i % 2 ? Qt::Key_Home : Qt::Key_End, Qt::ControlModifier);
            } },
        { "Page Down",
            16,
            30,
            [&](int) {
                key(Qt::Key_PageDown);
            } },
        { "Page Up",
            16,
            30,
            [&](int) {
                key(Qt::Key_PageUp);
            } },
        { "Arrow down",
            16,
            30,
            [&](int) {
                key(Qt::Key_Down);
            } },
        { "Scroll-bar drag",
            16,
            30,
            [&](int) {
                drag();
            } },
        { "Keystroke (after a click somewhere)",
            16,
            30,
            [&](int i) {
                if (i % 5 == 0)
                    box.setSelStart(somewhere());
                key(Qt::Key_A);
            } },
        // Each keystroke in another place of the first line, so every edit splits a piece
        // ahead of all the others. Scrolling to the top first is another step's work.
        { "Keystroke on the first line",
            16,
            30,
            [&](int i) {
                box.setSelStart(i % 7);
                key(Qt::Key_A);
            },
            [&] {
                box.setSelStart(0);
            } },
        { "Enter",
            16,
            10,
            [&](int) {
                key(Qt::Key_Return);
            } },
        { "Backspace",
            16,
            30,
            [&](int) {
                key(Qt::Key_Backspace);
            } },
        { "Delete",
            16,
            30,
            [&](int) {
                key(Qt::Key_Delete);
            } },
        { "Select all",
            16,
            5,
            [&](int) {
                box.setSelStart(0);
                box.setSelLength(box.textLength());
            } },
        { "Keystroke over the whole selection, then undo",
            16,
            4,
            [&](int i) {
                if (i % 2 == 0) {
                    box.setSelStart(0);
                    box.setSelLength(box.textLength());
                    key(Qt::Key_B);
                } else {
                    box.undoLastEdit();
                }
            } },
        { "Undo and redo",
            16,
            10,
            [&](int) {
                box.undoLastEdit();
            } },
        { "Word wrap on, then off",
            16,
            6,
            [&](int i) {
                box.setWordWrap(i % 2 == 0);
            } },
        { "Scroll-bar drag, wrapped",
            16,
            30,
            [&](int i) {
                if (i == 0)
                    box.setWordWrap(true);
                drag();
            } },
        { "Keystroke, wrapped",
            16,
            30,
            [&](int) {
                key(Qt::Key_C);
            } },
        { "Page Down, wrapped",
            16,
            30,
            [&](int) {
                key(Qt::Key_PageDown);
            } },
        { "Ctrl+End, wrapped",
            16,
            4,
            [&](int i) {
                key(i % 2 ? Qt::Key_Home : Qt::Key_End, Qt::ControlModifier);
            } },
        { "Save (encode and write)",
            1000,
            3,
            [&](int) {
                const Result<QByteArray> bytes = encodeDocument(box.storage(), format);
                if (!bytes.ok() || files.writeFile(savedPath, bytes.value()))
                    qFatal("save failed");
            } },
        { "Find a string that is not there",
            300,
            3,
            [&](int) {
                if (box.find(QStringLiteral("no such words here")) != -1)
                    qFatal("found what is not there");
            } },
    };
    std::printf("| step | tries | worst ms | median ms | target ms | met |\n");
    std::printf("|---|---|---|---|---|---|\n");
    std::printf("| open %lld characters (read, decode, show) | 1 | %.1f | | | |\n",
        static_cast<long long>(box.textLength()),
        openMs);
    bool allMet = true;
    for (const Step &step : steps) {
        std::vector<double> times;
        if (step.prepare) {
            step.prepare();
            box.viewport()->repaint();
            QApplication::processEvents();
        }
        for (int i = 0; i < step.tries; ++i)
            times.push_back(timed(box, [&] {
                step.action(i);
            }));
        std::sort(times.begin(), times.end());
        const double worst = times.back();
        const bool met = worst < step.targetMs;
        allMet = allMet && met;
        std::printf("| %s | %d | %.1f | %.1f | %.0f | %s |\n",
            step.name,
            step.tries,
            worst,
            times[times.size() / 2],
            step.targetMs,
            met ? "yes" : "NO");
        QApplication::processEvents();
    }
    std::printf(
        "\n%s\n", allMet ? "Every interaction target met." : "Some interaction targets missed.");
    return allMet ? 0 : 1;
}
