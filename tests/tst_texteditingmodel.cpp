#include "engine/texteditingmodel.h"
#include "tests/support/drawntext.h"

#include <QtTest>

// The editing model with no widget; the steps are what keys and commands ask of the model.
class TestTextEditingModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void steps_data();
    void steps();
    void changeSaysWhatWasRemoved();
    void changeGivesBackTheTextBefore_data();
    void changeGivesBackTheTextBefore();
};

namespace {

// change, when given, is what the step did to the text.
void run(TextEditingModel &model, const QString &step, TextChange *change = nullptr)
{
    using Kind = TextHistory::Kind;
    const qsizetype caret = model.caret();
    TextChange done;
    if (step.startsWith(QLatin1String("type "))) {
        done = model.replaceSelection(
            step.mid(5), model.hasSelection() ? Kind::Other : Kind::Typing);
    } else if (step == QLatin1String("enter")) {
        done = model.replaceSelection(u"\n", Kind::Other, false);
    } else if (step == QLatin1String("backspace")) {
        done = model.hasSelection() ? model.removeSelection()
                                    : model.remove(caret - 1, caret, Kind::Removal, true);
    } else if (step == QLatin1String("delete")) {
        done = model.hasSelection() ? model.removeSelection()
                                    : model.remove(caret, caret + 1, Kind::Removal, false);
    } else if (step == QLatin1String("undo")) {
        done = model.undo();
    } else if (step.startsWith(QLatin1String("select "))) {
        const QStringList ends = step.mid(7).split(QLatin1Char(','));
        model.select(ends.at(0).toLongLong(), ends.at(1).toLongLong());
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
    if (change)
        *change = std::move(done);
}

} // namespace

void TestTextEditingModel::steps_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("after");
    const auto row = [](const char *before, const QStringList &steps, const char *after) {
        QTest::newRow(qPrintable(DrawnText::rowName(QString::fromUtf8(before), steps.join(u", "))))
            << QString::fromUtf8(before) << steps << QString::fromUtf8(after);
    };
    row("ab|c", { "type X" }, "abX|c");
    row("^ab|c", { "type X" }, "X|c");
    row("ab|c^", { "type X" }, "abX|");
    row("ab|c", { "type X", "type Y", "undo" }, "ab|c");
    row("ab|c", { "type X", "undo", "undo" }, "abX|c");
    row("^ab|", { "type X", "type Y", "undo" }, "ab|");
    row("a|", { "enter", "type b", "undo" }, "a\n|");
    row("abc|", { "backspace", "backspace", "undo" }, "abc|");
    row("|abc", { "delete", "delete", "undo" }, "|abc");
    row("a\n|b", { "backspace", "backspace", "undo" }, "a|b");
    row("^abc|", { "backspace", "undo" }, "abc|");
    row("|ab^c", { "backspace", "undo" }, "|abc");
    row("ab|c", { "type X", "select 0,0", "undo" }, "|abc");
    row("abc|", { "type X", "select 4,4", "undo" }, "abc|");
    row("a|bc", { "type X", "select 4,1", "undo" }, "a|bc^");
    row("abc|", { "select -5,99" }, "^abc|");
    row("|", { "backspace", "delete", "undo" }, "|");
}

void TestTextEditingModel::steps()
{
    QFETCH(QString, before);
    QFETCH(QStringList, steps);
    QFETCH(QString, after);
    TextEditingModel model;
    DrawnText::set(model, before);
    QCOMPARE(DrawnText::of(model), before);
    for (const QString &step : std::as_const(steps))
        run(model, step);
    QCOMPARE(DrawnText::of(model), after);
}

void TestTextEditingModel::changeSaysWhatWasRemoved()
{
    TextEditingModel model;
    model.setText(TextStorage::fromText(u"one\ntwo\n"));
    const quint64 revision = model.revision();
    model.select(2, 6);
    const TextChange change = model.replaceSelection(u"X", TextHistory::Kind::Other);
    QCOMPARE(change.at, 2);
    QCOMPARE(change.removed, 4);
    QCOMPARE(change.added, 1);
    QCOMPARE(change.linesBefore, 3);
    QCOMPARE(change.removedText(100), QStringLiteral("e\ntw"));
    QCOMPARE(change.removedText(3), QStringLiteral("e\nt"));
    QVERIFY(model.revision() != revision);
    const TextChange undone = model.undo();
    QCOMPARE(undone.removedText(100), QStringLiteral("X"));
    QCOMPARE(model.storage().toString(), QStringLiteral("one\ntwo\n"));
    QVERIFY(model.remove(3, 3, TextHistory::Kind::Removal, true).isEmpty());
    model.setText(TextStorage::fromText(u"a\U0001F600b"));
    model.select(0, 4);
    const TextChange pair = model.removeSelection();
    // A cut short never ends in half a character.
    QCOMPARE(pair.removedText(2), QStringLiteral("a"));
    QCOMPARE(pair.removedText(3), QStringLiteral("a\U0001F600"));
    // What an edit said it removed stays so when the next presses join its undo step.
    model.setText(TextStorage::fromText(u"abcd"));
    model.select(1, 1);
    TextChange first;
    run(model, QStringLiteral("delete"), &first);
    run(model, QStringLiteral("delete"));
    QCOMPARE(first.removedText(100), QStringLiteral("b"));
    QCOMPARE(model.undo().added, 2);
    QCOMPARE(model.storage().toString(), QStringLiteral("abcd"));
}

void TestTextEditingModel::changeGivesBackTheTextBefore_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("steps");
    const auto row = [](const char *before, const QStringList &steps) {
        QTest::newRow(qPrintable(DrawnText::rowName(QString::fromUtf8(before), steps.join(u", "))))
            << QString::fromUtf8(before) << steps;
    };
    row("one ^two| three", { "type 2" });
    row("|one two", { "type start " });
    row("one two^ three|", { "backspace" });
    row("o^ne\ntw|o", { "type X\nY" });
    row("one |two", { "type ab", "select 2,6", "type Z" });
    row("one ^two|", { "type 2", "undo" });
}

// Every stretch of the text before the last step comes back from the change and the text
// after it.
void TestTextEditingModel::changeGivesBackTheTextBefore()
{
    QFETCH(QString, before);
    QFETCH(QStringList, steps);
    TextEditingModel model;
    DrawnText::set(model, before);
    for (const QString &step : steps.mid(0, steps.size() - 1))
        run(model, step);
    const QString text = model.storage().toString();
    TextChange change;
    run(model, steps.last(), &change);
    QVERIFY(!change.isEmpty());
    for (qsizetype from = 0; from <= text.size(); ++from) {
        for (qsizetype to = from; to <= text.size(); ++to) {
            const QString got
                = TextStorage::textOf(*change.piecesBefore(model.storage(), from, to));
            QCOMPARE(got, text.mid(from, to - from));
        }
    }
}

QTEST_GUILESS_MAIN(TestTextEditingModel)
#include "tst_texteditingmodel.moc"
