#include "engine/textcontrol.h"
#include "tests/support/referencecontrol.h"
#include "tests/support/testenvironment.h"

#include <QClipboard>
#include <QRandomGenerator>
#include <QtTest>

#include <functional>

// Random edit scripts go to the text control and to the QPlainTextEdit it replaced; after
// every step both must hold the same text, caret and selection.
class TestTextDifferential : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void randomScriptsMatchTheReference_data();
    void randomScriptsMatchTheReference();
};

namespace {

struct Pair
{
    TextControl &box;
    ReferenceControl &reference;
};

QString randomText(QRandomGenerator &random, int words)
{
    static const QStringList pieces = { QStringLiteral("alpha"),
        QStringLiteral("be"),
        QStringLiteral("x"),
        QStringLiteral("  "),
        QStringLiteral("\n"),
        QStringLiteral("\t"),
        QStringLiteral("caf\u00E9"),
        QStringLiteral("e\u0301t\u00E9"),
        QStringLiteral("don't"),
        QStringLiteral("(1,2)"),
        QStringLiteral("\n\n"),
        QStringLiteral("snake_case"),
        QStringLiteral("\U0001F600") };
    QString text;
    for (int i = 0; i < words; ++i) {
        text += pieces.at(random.bounded(int(pieces.size())));
        if (random.bounded(3) == 0)
            text += QLatin1Char(' ');
    }
    return text;
}

struct Move
{
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

const Move Moves[] = {
    { Qt::Key_Left, {} },
    { Qt::Key_Right, {} },
    { Qt::Key_Left, Qt::ControlModifier },
    { Qt::Key_Right, Qt::ControlModifier },
    { Qt::Key_Home, Qt::ControlModifier },
    { Qt::Key_End, Qt::ControlModifier },
    { Qt::Key_Home, {} },
    { Qt::Key_End, {} },
    { Qt::Key_Up, {} },
    { Qt::Key_Down, {} },
};

struct ScriptState
{
    bool wrapped = false;
    // Qt groups characters removed one by one for undo only when its internal buffer holds
    // them side by side, which is not something a user can see or the control can know; the
    // control groups them by where they stood in its own storage. The two agree almost
    // always, but not in every case, so an undo right after removals is left out.
    bool removedLast = false;
};

void both(Pair pair, const std::function<void(QWidget *)> &action)
{
    action(&pair.box);
    action(&pair.reference);
}

// Which kind of step comes next, 0 to 10, as step() numbers them.
int nextKind(QRandomGenerator &random, ScriptState &state)
{
    int kind = random.bounded(11);
    if (kind == 9 && state.removedLast)
        kind = 0;
    state.removedLast = state.removedLast && (kind == 4 || kind == 5 || kind == 8 || kind == 10);
    if (kind == 1 || kind == 2)
        state.removedLast = true;
    return kind;
}

QString typeWord(QRandomGenerator &random, Pair pair)
{
    // Key clicks can only name ASCII keys; other characters come in by pasting.
    QString word = randomText(random, 1).remove(QLatin1Char('\n'));
    word.removeIf([](QChar unit) {
        return unit.unicode() > 0x7E;
    });
    if (word.isEmpty())
        word = QStringLiteral("x");
    both(pair, [&](QWidget *w) {
        QTest::keyClicks(w, word);
    });
    return QStringLiteral("type \"%1\"").arg(word);
}

QString pressRepeatedly(QRandomGenerator &random, Pair pair, Qt::Key key, const char *name)
{
    const int count = 1 + random.bounded(4);
    both(pair, [&](QWidget *w) {
        for (int i = 0; i < count; ++i)
            QTest::keyClick(w, key);
    });
    return QStringLiteral("%1 x%2").arg(name).arg(count);
}

QString moveCaret(QRandomGenerator &random, Pair pair, bool wrapped)
{
    // Rows and lines are the same only while nothing wraps.
    const int count = int(std::size(Moves)) - (wrapped ? 4 : 0);
    const Move move = Moves[random.bounded(count)];
    const Qt::KeyboardModifiers modifiers
        = move.modifiers | (random.bounded(2) ? Qt::ShiftModifier : Qt::NoModifier);
    both(pair, [&](QWidget *w) {
        QTest::keyClick(w, move.key, modifiers);
    });
    return QStringLiteral("key %1 modifiers %2").arg(move.key).arg(int(modifiers));
}

QString selectSomewhere(QRandomGenerator &random, Pair pair)
{
    const int start = random.bounded(pair.box.textLength() + 1);
    const int length = random.bounded(pair.box.textLength() - start + 1);
    pair.box.setSelStart(start);
    pair.box.setSelLength(length);
    pair.reference.setSelStart(start);
    pair.reference.setSelLength(length);
    return QStringLiteral("select %1+%2").arg(start).arg(length);
}

QString pasteText(QRandomGenerator &random, Pair pair)
{
    const QString text = randomText(random, 1 + random.bounded(3));
    QGuiApplication::clipboard()->setText(text);
    pair.box.paste();
    pair.reference.paste();
    return QStringLiteral("paste \"%1\"").arg(text);
}

QString setSelectedText(QRandomGenerator &random, Pair pair)
{
    QString text = randomText(random, 1 + random.bounded(2));
    text.replace(
        QStringLiteral("\n"), random.bounded(2) ? QStringLiteral("\r\n") : QStringLiteral("\r"));
    pair.box.setSelText(text);
    pair.reference.setSelText(text);
    return QStringLiteral("selText \"%1\"").arg(text);
}

QString cutOrCopy(QRandomGenerator &random, Pair pair)
{
    if (random.bounded(2)) {
        pair.box.cut();
        pair.reference.cut();
        return QStringLiteral("cut");
    }
    pair.box.copy();
    pair.reference.copy();
    return QStringLiteral("copy");
}

// One step of a script: what it does, shown when the two controls part ways.
QString step(QRandomGenerator &random, Pair pair, ScriptState &state)
{
    switch (nextKind(random, state)) {
    case 0:
        return typeWord(random, pair);
    case 1:
        return pressRepeatedly(random, pair, Qt::Key_Backspace, "backspace");
    case 2:
        return pressRepeatedly(random, pair, Qt::Key_Delete, "delete");
    case 3:
        both(pair, [](QWidget *w) {
            QTest::keyClick(w, Qt::Key_Return);
        });
        return QStringLiteral("enter");
    case 4:
        return moveCaret(random, pair, state.wrapped);
    case 5:
        return selectSomewhere(random, pair);
    case 6:
        return pasteText(random, pair);
    case 7:
        return setSelectedText(random, pair);
    case 8:
        return cutOrCopy(random, pair);
    case 9:
        pair.box.undoLastEdit();
        pair.reference.undoLastEdit();
        return QStringLiteral("undo");
    default:
        state.wrapped = !state.wrapped;
        pair.box.setWordWrap(state.wrapped);
        pair.reference.setWordWrap(state.wrapped);
        return QStringLiteral("word wrap %1").arg(state.wrapped);
    }
}

} // namespace

void TestTextDifferential::randomScriptsMatchTheReference_data()
{
    QTest::addColumn<int>("seed");
    for (int seed = 1; seed <= 150; ++seed)
        QTest::addRow("seed %d", seed) << seed;
}

void TestTextDifferential::randomScriptsMatchTheReference()
{
    QFETCH(int, seed);
    QRandomGenerator random { quint32(seed) };
    QWidget window;
    window.resize(900, 400);
    TextControl box(&window);
    ReferenceControl reference(&window);
    box.setGeometry(0, 0, 450, 400);
    reference.setGeometry(450, 0, 450, 400);
    const QFont font(QStringLiteral("DejaVu Sans"), 10);
    box.setFont(font);
    reference.setFont(font);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QString start = randomText(random, random.bounded(40));
    box.setText(start);
    reference.setText(start);
    ScriptState state;
    QStringList script { QStringLiteral("text \"%1\"").arg(start) };
    for (int i = 0; i < 150; ++i) {
        script << step(random, { box, reference }, state);
        const QString report = QStringLiteral("step %1, last steps:\n  ").arg(i)
            + script.mid(std::max<qsizetype>(0, script.size() - 8)).join(QStringLiteral("\n  "))
            + QStringLiteral("\nours: %1 %2 \"%3\"\nreference: %4 %5 \"%6\"")
                  .arg(box.anchorPosition())
                  .arg(box.caretPosition())
                  .arg(box.text())
                  .arg(reference.anchorPosition())
                  .arg(reference.caretPosition())
                  .arg(reference.text());
        const auto where = [&] {
            return qPrintable(report);
        };
        QVERIFY2(box.text() == reference.text(), where());
        QVERIFY2(box.caretPosition() == reference.caretPosition(), where());
        QVERIFY2(box.anchorPosition() == reference.anchorPosition(), where());
    }
}

OMRIK_TEST_MAIN(TestTextDifferential)
#include "tst_textdifferential.moc"
