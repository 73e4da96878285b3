#include "core/documentfile.h"
#include "tests/support/documenttext.h"

#include <QFile>
#include <QStringEncoder>
#include <QTest>

// Real texts in the encodings that came before Unicode, written by scripts/make-legacy-corpus
// into the folder OMRIK_LEGACY_CORPUS names, each beside its UTF-8 twin.

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QByteArray inEncoding(const char *encoding, const QString &text)
{
    QStringEncoder encoder(encoding);
    return encoder.encode(text);
}

// The first line of a file's bytes with a byte that is not ASCII, line end included.
QByteArray firstLineBeyondAscii(const QByteArray &bytes)
{
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end + 1;
        const QByteArray line = bytes.sliced(start, end - start);
        if (std::any_of(line.begin(), line.end(), [](char c) {
                return c & 0x80;
            }))
            return line;
        start = end;
    }
    return QByteArray();
}

} // namespace

class TestLegacyEncodings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void corpusOpensAsWritten_data();
    void corpusOpensAsWritten();
    void editsAreWrittenInTheFilesEncoding_data();
    void editsAreWrittenInTheFilesEncoding();
    void largeFileIsDecodedInTwoParts();
    void unprovenStaysWindows1252_data();
    void unprovenStaysWindows1252();

private:
    void corpusRows();
    QString m_corpus;
};

void TestLegacyEncodings::initTestCase()
{
    m_corpus = qEnvironmentVariable("OMRIK_LEGACY_CORPUS");
    QVERIFY2(QFile::exists(m_corpus + "/corpus.tsv"),
        "OMRIK_LEGACY_CORPUS must name a folder written by scripts/make-legacy-corpus");
}

void TestLegacyEncodings::corpusRows()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("twin");
    QTest::addColumn<QByteArray>("expected");
    const QList<QByteArray> lines = readAll(m_corpus + "/corpus.tsv").split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 3)
            continue;
        QTest::newRow(fields[0].constData())
            << readAll(m_corpus + '/' + fields[0])
            << QString::fromUtf8(readAll(m_corpus + '/' + fields[2])) << fields[1];
    }
}

void TestLegacyEncodings::corpusOpensAsWritten_data()
{
    corpusRows();
}

// A Western file read in a look-alike would show wrong letters: those rows expect
// Windows-1252 and fail on any other guess.
void TestLegacyEncodings::corpusOpensAsWritten()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, twin);
    QFETCH(QByteArray, expected);
    QVERIFY(!bytes.isEmpty());

    const DecodedDocument document = decodeDocument(bytes);
    if (expected == "Windows-1252") {
        QCOMPARE(document.format.encoding, TextEncoding::Windows1252);
    } else {
        QCOMPARE(document.format.encoding, TextEncoding::Legacy);
        QCOMPARE(document.format.legacyName, expected);
    }
    QCOMPARE(document.text, decodeDocument(twin.toUtf8()).text);
    const Result<QByteArray> saved = encodeDocument(document.text, document.format);
    QVERIFY(saved.ok());
    QVERIFY(saved.value() == bytes);
}

void TestLegacyEncodings::editsAreWrittenInTheFilesEncoding_data()
{
    corpusRows();
}

// A line of the file typed again at its top is written in the file's encoding before bytes
// that stay as they were; a character the encoding lacks fails the save.
void TestLegacyEncodings::editsAreWrittenInTheFilesEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, expected);
    const LoadedDocument loaded = loadDocument(bytes);
    const QByteArray line = firstLineBeyondAscii(bytes);
    QVERIFY(!line.isEmpty());
    const qsizetype lineStart = bytes.indexOf(line);
    const QString text = loaded.text.toString();
    const int lineNumber = int(bytes.first(lineStart).count('\n'));
    const QString lineText
        = text.section(QLatin1Char('\n'), lineNumber, lineNumber) + QLatin1Char('\n');

    const Result<QByteArray> edited
        = encodeDocument(TextStorage::fromText(lineText + text), loaded.format);
    QVERIFY(edited.ok());
    QVERIFY(edited.value() == line + bytes);

    // GB18030 holds every character there is.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const Result<QByteArray> withEmoji
        = encodeDocument(TextStorage::fromText(emoji + text), loaded.format);
    if (expected == "GB18030") {
        QVERIFY(withEmoji.ok());
        QCOMPARE(decodeDocument(withEmoji.value()).text, emoji + text);
    } else {
        QVERIFY(!withEmoji.ok());
        QCOMPARE(withEmoji.failure().number, int(FailureNumber::UnencodableText));
    }
}

// Large enough for two threads, each decoding and proving a part.
void TestLegacyEncodings::largeFileIsDecodedInTwoParts()
{
    const QByteArray page = readAll(m_corpus + "/ja-ls.SHIFT_JIS.txt");
    const QString twin = QString::fromUtf8(readAll(m_corpus + "/ja-ls.utf8"));
    QVERIFY(!page.isEmpty());
    const int copies = int(5 * 1024 * 1024 / page.size());
    const QByteArray bytes = page.repeated(copies);
    const LoadedDocument document = loadDocument(bytes);
    QCOMPARE(document.format.legacyName, QByteArray("Shift_JIS"));
    QVERIFY(document.text.toString() == decodeDocument(twin.repeated(copies).toUtf8()).text);
    const Result<QByteArray> saved = encodeDocument(document.text, document.format);
    QVERIFY(saved.ok());
    QVERIFY(saved.value() == bytes);
}

void TestLegacyEncodings::unprovenStaysWindows1252_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("legacy");
    const QString japanese = QString::fromUtf8("名前を入力してください\n");
    const QString russian = QString::fromUtf8("Привет, мир! Как дела?\n");
    QTest::newRow("a few Japanese words, Shift_JIS") << inEncoding("Shift_JIS", japanese) << false;
    QTest::newRow("a few Japanese words, GBK") << inEncoding("GBK", japanese) << false;
    QTest::newRow("a few Chinese words, Big5")
        << inEncoding("Big5", QString::fromUtf8("這是一個測試\n")) << false;
    QTest::newRow("a few Russian words, Windows-1251")
        << inEncoding("windows-1251", russian) << false;
    QTest::newRow("a few Russian words, KOI8-R") << inEncoding("KOI8-R", russian) << false;
    QByteArray everyByte;
    for (int round = 0; round < 64; ++round) {
        for (int value = 0; value < 256; ++value)
            everyByte += char((value * 37 + round) & 0xFF);
    }
    QTest::newRow("every byte value") << everyByte << false;
    QTest::newRow("this test program")
        << readAll(QCoreApplication::applicationFilePath()).first(256 * 1024) << false;
    // Far beyond what detection reads at the start; the bytes around the first that are not
    // UTF-8 are looked at too.
    QByteArray lateRussian = QByteArray("ASCII line of a long log file\n").repeated(20000);
    lateRussian += inEncoding("windows-1251", russian.repeated(4));
    QTest::newRow("Russian after 600 KB of ASCII") << lateRussian << true;
}

void TestLegacyEncodings::unprovenStaysWindows1252()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, legacy);
    const LoadedDocument document = loadDocument(bytes);
    QCOMPARE(document.format.encoding, legacy ? TextEncoding::Legacy : TextEncoding::Windows1252);
    const Result<QByteArray> saved = encodeDocument(document.text, document.format);
    QVERIFY(saved.ok());
    QVERIFY(saved.value() == bytes);
}

QTEST_GUILESS_MAIN(TestLegacyEncodings)
#include "tst_legacyencodings.moc"
