#include "engine/textkeyedits.h"
#include "engine/textnavigator.h"
#include "tests/support/drawntext.h"
#include "tests/support/testenvironment.h"

#include <QApplication>
#include <QKeyEvent>
#include <QtTest>

// Where the movement keys take the caret, and what the editing keys do to the text.
class TestTextKeys : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void moves_data();
    void moves();
    void edits_data();
    void edits();
};

namespace {

// A text in a monospaced font without word wrap, with the keys' two helpers over it.
struct KeyTarget
{
    explicit KeyTarget(const QString &drawn)
        : layouts(model.storage())
        , navigator(model.storage(), layouts)
        , edits(model, navigator)
    {
        DrawnText::set(model, drawn);
        layouts.setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10));
    }

    TextEditingModel model;
    TextLayouts layouts;
    TextNavigator navigator;
    TextKeyEdits edits;
};

// The key as the keyboard sends it: a letter pressed alone types itself.
QKeyEvent keyEvent(const QString &keys)
{
    const QKeyCombination key = QKeySequence::fromString(keys)[0];
    const bool plain = (key.keyboardModifiers() & ~Qt::ShiftModifier) == Qt::NoModifier;
    const QString text
        = plain && key.key() < 0x100 ? QString(QChar(key.key())).toLower() : QString();
    return QKeyEvent(QEvent::KeyPress, key.key(), key.keyboardModifiers(), text);
}

void addRow(const char *before, const char *keys, const char *after)
{
    QTest::newRow(qPrintable(DrawnText::rowName(QString::fromUtf8(before), QLatin1String(keys))))
        << QString::fromUtf8(before) << QString::fromLatin1(keys) << QString::fromUtf8(after);
}

void addColumns()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("after");
}

} // namespace

void TestTextKeys::moves_data()
{
    addColumns();
    const auto row = addRow;
    row("ab|c", "Right", "abc|");
    row("ab|c", "Left", "a|bc");
    row("|abc", "Left", "|abc");
    row("abc|", "Right", "abc|");
    row("^ab|c", "Left", "|abc");
    row("|ab^c", "Right", "ab|c");
    row("a|bc", "Shift+Right", "a^b|c");
    row("^ab|c", "Shift+Left", "^a|bc");
    row("|e\u0301x", "Right", "e\u0301|x");
    row("e\u0301|x", "Left", "|e\u0301x");
    row("|\U0001F600x", "Right", "\U0001F600|x");
    row("\U0001F600|x", "Left", "|\U0001F600x");
    row("one |two three", "Ctrl+Right", "one two |three");
    row("one two| three", "Ctrl+Left", "one |two three");
    row("one |two", "Ctrl+Shift+Right", "one ^two|");
    row("ab|c", "Home", "|abc");
    row("ab|c\ndef", "End", "abc|\ndef");
    row("ab\nc|d", "Ctrl+Home", "|ab\ncd");
    row("a|b\ncd", "Ctrl+End", "ab\ncd|");
    row("a|b\ncd", "Ctrl+Shift+End", "a^b\ncd|");
    row("ab|c\ndef", "Down", "abc\nde|f");
    row("abc\nd|ef", "Up", "a|bc\ndef");
    row("abc|\nd\nefg", "Down", "abc\nd|\nefg");
    row("ab|c\ndef", "Shift+Down", "ab^c\nde|f");
    row("ab|c", "Down", "ab|c");
    row("ab|c", "Shift+Down", "ab^c|");
    row("ab|c", "Shift+Up", "|ab^c");
    row("|a\nb\nc\nd", "PgDown", "a\nb\n|c\nd");
    row("a\nb\nc\n|d", "PgUp", "a\n|b\nc\nd");
}

void TestTextKeys::moves()
{
    QFETCH(QString, before);
    QFETCH(QString, keys);
    QFETCH(QString, after);
    KeyTarget target(before);
    QCOMPARE(DrawnText::of(target.model), before);
    const QKeyEvent event = keyEvent(keys);
    qreal column = -1;
    const std::optional<TextNavigator::KeyMove> move = target.navigator.moveForKey(
        &event, target.model.caret(), target.model.anchor(), 2, column);
    QVERIFY(move.has_value());
    if (move->moves)
        target.model.moveCaret(move->to, move->extend);
    QCOMPARE(DrawnText::of(target.model), after);
}

void TestTextKeys::edits_data()
{
    addColumns();
    const auto row = addRow;
    row("ab|c", "Backspace", "a|c");
    row("ab|c", "Del", "ab|");
    row("|abc", "Backspace", "|abc");
    row("abc|", "Del", "abc|");
    row("^ab|c", "Backspace", "|c");
    row("|ab^c", "Del", "|c");
    row("e\u0301|x", "Backspace", "e|x");
    row("|e\u0301x", "Del", "|x");
    row("\U0001F600|x", "Backspace", "|x");
    row("|\U0001F600x", "Del", "|x");
    row("a\n|b", "Backspace", "a|b");
    row("one two|", "Ctrl+Backspace", "one |");
    row("one |two", "Ctrl+Del", "one |");
    row("o^ne t|wo", "Ctrl+Backspace", "o|wo");
    row("a|b", "Return", "a\n|b");
    row("^ab|", "Return", "\n|");
    row("a|b", "X", "ax|b");
    row("^ab|", "X", "x|");
    row("a|b", "Ctrl+B", "a|b");
    row("a|b", "Left", "a|b");
}

void TestTextKeys::edits()
{
    QFETCH(QString, before);
    QFETCH(QString, keys);
    QFETCH(QString, after);
    KeyTarget target(before);
    const std::optional<TextChange> change = target.edits.edit(keyEvent(keys));
    QCOMPARE(change.has_value() && !change->isEmpty(), before != after);
    QCOMPARE(DrawnText::of(target.model), after);
}

OMRIK_TEST_MAIN(TestTextKeys)
#include "tst_textkeys.moc"
