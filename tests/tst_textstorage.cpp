#include "engine/textstorage.h"

#include <QRandomGenerator>
#include <QtTest>

// Thousands of random edits, and their undoing, against a plain QString.
class TestTextStorage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void randomEditsMatchAPlainString_data();
    void randomEditsMatchAPlainString();
    void oneByteRunsFromAKeptBuffer();
    void builtTextMeasuresItsLines_data();
    void builtTextMeasuresItsLines();
    void linesOfAStorageThatTookAnotherOnesMemory();
    void oneByteTextIsSearchedAtEveryPlace_data();
    void oneByteTextIsSearchedAtEveryPlace();
    void longTextIsSearchedInTwoHalves_data();
    void longTextIsSearchedInTwoHalves();
};

namespace {

QString randomInsert(QRandomGenerator &random)
{
    static const QString alphabet = QStringLiteral("ab \n\n\u00E9\u4E2D\U0001F600");
    const int kind = random.bounded(40);
    const int length = kind == 0 ? 60000 + random.bounded(20000)
        : kind < 4               ? 1000 + random.bounded(2000)
                                 : random.bounded(12);
    QString text;
    for (int i = 0; i < length; ++i)
        text += alphabet.at(random.bounded(int(alphabet.size())));
    if (random.bounded(3) == 0)
        return text.toLatin1().replace('?', 'q');
    return text;
}

void compare(const TextStorage &storage, const QString &expected, QRandomGenerator &random)
{
    QCOMPARE(storage.length(), expected.size());
    QCOMPARE(storage.toString(), expected);
    const QStringList lines = expected.split(QLatin1Char('\n'));
    QCOMPARE(storage.lineCount(), lines.size());
    qsizetype longest = 0;
    for (const QString &line : lines)
        longest = std::max(longest, line.size());
    QVERIFY(storage.longestLine() >= longest);
    // Line after line, each asked for twice, as a screen is painted.
    const qsizetype first = random.bounded(int(lines.size()));
    qsizetype start = 0;
    for (qsizetype i = 0; i < first; ++i)
        start += lines.at(i).size() + 1;
    for (qsizetype line = first; line < std::min(first + 60, lines.size()); ++line) {
        for (int again = 0; again < 2; ++again) {
            QCOMPARE(storage.lineStart(line), start);
            QCOMPARE(storage.lineEnd(line), start + lines.at(line).size());
        }
        start += lines.at(line).size() + 1;
    }
    for (int probe = 0; probe < 20; ++probe) {
        const qsizetype line = random.bounded(int(lines.size()));
        qsizetype start = 0;
        for (qsizetype i = 0; i < line; ++i)
            start += lines.at(i).size() + 1;
        QCOMPARE(storage.lineStart(line), start);
        QCOMPARE(storage.lineEnd(line), start + lines.at(line).size());
        QCOMPARE(storage.lineText(line), lines.at(line));
        const qsizetype position = random.bounded(int(expected.size()) + 1);
        QCOMPARE(storage.lineOf(position), expected.left(position).count(QLatin1Char('\n')));
        QCOMPARE(
            storage.at(position), position < expected.size() ? expected.at(position) : QChar());
        const qsizetype length = random.bounded(200);
        QCOMPARE(storage.mid(position, length), expected.mid(position, length));
        // Needles long enough to reach over the borders of short pieces too.
        const QString needle = expected.mid(
            random.bounded(int(expected.size()) + 1), 1 + random.bounded(probe % 2 ? 4 : 40));
        QCOMPARE(storage.indexOf(needle, position), expected.indexOf(needle, position));
    }
}

} // namespace

void TestTextStorage::randomEditsMatchAPlainString_data()
{
    QTest::addColumn<int>("seed");
    for (int seed = 1; seed <= 8; ++seed)
        QTest::addRow("seed %d", seed) << seed;
}

void TestTextStorage::randomEditsMatchAPlainString()
{
    QFETCH(int, seed);
    QRandomGenerator random { quint32(seed) };
    QString expected = randomInsert(random);
    TextStorage storage = TextStorage::fromText(expected);
    for (int edit = 0; edit < 500; ++edit) {
        const qsizetype position = random.bounded(int(expected.size()) + 1);
        const qsizetype removed
            = std::min<qsizetype>(random.bounded(30), expected.size() - position);
        const QString inserted = randomInsert(random);
        const QString before = expected;
        const TextStorage::Splice splice = storage.replace(position, removed, inserted);
        expected.replace(position, removed, inserted);
        QCOMPARE(splice.insertedLength(), inserted.size());
        QCOMPARE(splice.removedLength(), removed);
        if (edit % 10 == 0)
            compare(storage, expected, random);
        if (random.bounded(4) == 0) {
            // Undo, and sometimes redo: the text must come back unchanged both ways.
            const TextStorage::Splice redo = storage.revert(splice);
            QCOMPARE(storage.toString(), before);
            if (random.bounded(2)) {
                storage.revert(redo);
                QCOMPARE(storage.toString(), expected);
            } else {
                expected = before;
            }
        }
    }
    compare(storage, expected, random);
}

void TestTextStorage::oneByteRunsFromAKeptBuffer()
{
    QByteArray bytes = QByteArray("caf\xE9\nline two\n", 15).repeated(10000);
    const QString expected = QString::fromLatin1(bytes);
    TextStorage::Builder builder;
    builder.appendLatin1(QLatin1StringView(bytes.constData(), bytes.size()));
    builder.appendText(u"\u4E2D");
    builder.keep(std::move(bytes));
    TextStorage storage = builder.finish();
    QRandomGenerator random(3);
    compare(storage, expected + QStringLiteral("\u4E2D"), random);
    QVERIFY(storage.runCount() > 2);
}

void TestTextStorage::linesOfAStorageThatTookAnotherOnesMemory()
{
    // Each storage holds the text in the same memory once the one before has gone, with its
    // line breaks in other places.
    QByteArray bytes(3000, 'x');
    const char *const address = bytes.constData();
    for (int every = 2; every < 6; ++every) {
        char *text = bytes.data();
        QCOMPARE(text, address);
        for (int i = 0; i < bytes.size(); ++i)
            text[i] = i % every == every - 1 ? '\n' : 'x';
        TextStorage::Builder builder;
        builder.appendLatin1(QLatin1StringView(bytes.constData(), bytes.size()));
        builder.keep(bytes);
        const TextStorage storage = builder.finish();
        // Downwards, so that the next storage starts above the lines looked up last.
        for (qsizetype line = 40; line > 0; --line)
            QCOMPARE(storage.lineStart(line), line * every);
    }
}

void TestTextStorage::builtTextMeasuresItsLines_data()
{
    // Line lengths, repeated a few hundred times so that they fall across blocks and pieces.
    QTest::addColumn<QList<int>>("lengths");
    QTest::newRow("short lines, the longest in the middle")
        << QList<int> { 3, 17, 40, 9, 50, 0, 12 };
    QTest::newRow("a long line first") << QList<int> { 100, 5, 63, 1, 30 };
    QTest::newRow("one longer than a block among short ones")
        << QList<int> { 10, 10, 10, 10, 10, 70, 10, 2, 2, 2 };
    QTest::newRow("the longest just past a block") << QList<int> { 64, 63, 65, 1, 0, 0 };
    QTest::newRow("one longer than a piece")
        << QList<int> { 20, TextStorage::MaximumPiece + 100, 20, 7 };
}

void TestTextStorage::builtTextMeasuresItsLines()
{
    QFETCH(QList<int>, lengths);
    QByteArray bytes;
    QList<qsizetype> starts;
    qsizetype longest = 0;
    for (int round = 0; round < 400 && bytes.size() < 3 * TextStorage::MaximumPiece; ++round) {
        for (const int length : lengths) {
            starts.append(bytes.size());
            bytes += QByteArray(length, char('a' + round % 26)) + '\n';
            longest = std::max<qsizetype>(longest, length);
        }
    }
    starts.append(bytes.size());
    TextStorage::Builder builder;
    builder.appendLatin1(QLatin1StringView(bytes.constData(), bytes.size()));
    builder.keep(bytes);
    const TextStorage storage = builder.finish();
    QCOMPARE(storage.lineCount(), starts.size());
    QCOMPARE(storage.longestLine(), longest);
    for (qsizetype line = 0; line < starts.size(); ++line)
        QCOMPARE(storage.lineStart(line), starts.at(line));
}

void TestTextStorage::oneByteTextIsSearchedAtEveryPlace_data()
{
    QTest::addColumn<QString>("needle");
    QTest::newRow("one character") << u"q"_qs;
    QTest::newRow("two") << u"qz"_qs;
    QTest::newRow("three") << u"qaz"_qs;
    QTest::newRow("as long as a block") << u"qabcdefghijklmnz"_qs;
    QTest::newRow("longer than a block") << u"qabcdefghijklmnopqrstuvwxyz0123456789z"_qs;
}

void TestTextStorage::oneByteTextIsSearchedAtEveryPlace()
{
    // Around every place, decoys that begin and end as the needle does but differ between:
    // in the middle, and where only a full compare tells.
    QFETCH(QString, needle);
    QString decoys;
    for (const qsizetype differs : { needle.size() / 2, qsizetype(1) }) {
        QString decoy = needle;
        if (decoy.size() > 2)
            decoy[differs] = u'#';
        decoys += u'a' + decoy + u'b';
    }
    const QString filler = decoys.repeated(1 + 200 / int(decoys.size()));
    for (qsizetype place = 0; place <= 140; ++place) {
        QString text = filler;
        text.insert(place, needle);
        const QByteArray bytes = text.toLatin1();
        TextStorage::Builder builder;
        builder.appendLatin1(QLatin1StringView(bytes.constData(), bytes.size()));
        builder.keep(bytes);
        const TextStorage storage = builder.finish();
        for (qsizetype from : { qsizetype(0), place, place + 1 })
            QCOMPARE(storage.indexOf(needle, from), text.indexOf(needle, from));
    }
}

void TestTextStorage::longTextIsSearchedInTwoHalves_data()
{
    // Long enough for two threads; the halves meet at a piece border near the middle.
    const qsizetype half = 5 * TextStorage::MaximumPiece * 16;
    const QString plain(2 * half, u'a');
    const auto with = [&](std::initializer_list<std::pair<qsizetype, QString>> places) {
        QString text = plain;
        for (const auto &[at, what] : places)
            text.replace(at, what.size(), what);
        return text;
    };
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::newRow("only in the later half")
        << with({ { half + 777, u"needle"_qs } }) << u"needle"_qs;
    QTest::newRow("in both halves: the earlier wins")
        << with({ { half + 5, u"needle"_qs }, { half - 99, u"needle"_qs } }) << u"needle"_qs;
    QTest::newRow("across the border where the halves meet")
        << with({ { half - 3, u"needle"_qs } }) << u"needle"_qs;
    QTest::newRow("wide text in the later half")
        << with({ { half + 12345, u"\u4E2D\u6587"_qs } }) << u"\u4E2D\u6587"_qs;
    QTest::newRow("nowhere") << plain << u"needle"_qs;
}

void TestTextStorage::longTextIsSearchedInTwoHalves()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    const TextStorage storage = TextStorage::fromText(text);
    Progress progress;
    QCOMPARE(storage.indexOf(needle, 0, &progress), text.indexOf(needle));
    QCOMPARE(storage.indexOf(needle, 100), text.indexOf(needle, 100));
}

QTEST_GUILESS_MAIN(TestTextStorage)
#include "tst_textstorage.moc"
