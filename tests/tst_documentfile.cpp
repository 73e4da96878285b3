#include "core/documentfile.h"
#include "platform/filestore.h"
#include "platform/systemconventions.h"
#include "tests/support/documenttext.h"

#include <QtTest>

Q_DECLARE_METATYPE(TextEncoding)
Q_DECLARE_METATYPE(LineEnding)

class TestDocumentFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void decodes_data();
    void decodes();
    void unchangedFileSavesToSameBytes_data();
    void unchangedFileSavesToSameBytes();
    void largeFileIsReadInTwoParts_data();
    void largeFileIsReadInTwoParts();
    void crLfFileLosesOnlyPairedCrs_data();
    void crLfFileLosesOnlyPairedCrs();
    void editsKeepUntouchedLineEnds_data();
    void editsKeepUntouchedLineEnds();
    void writesLineEndingsAndFinalBreak_data();
    void writesLineEndingsAndFinalBreak();
    void refusesCharactersTheEncodingCannotHold_data();
    void refusesCharactersTheEncodingCannotHold();
    void everySingleByteSurvivesWindows1252();
    void refusesToTurnWindows1252IntoUtf16();
    void writerInPartsGivesTheSameBytes_data();
    void writerInPartsGivesTheSameBytes();
    void latin1TextSavesAsUtf8_data();
    void latin1TextSavesAsUtf8();
    void corpusSurvivesLoadAndSave_data();
    void corpusSurvivesLoadAndSave();
};

void TestDocumentFile::decodes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<LineEnding>("ending");

    const auto sys = TextEncoding::System;
    // Windows reads UTF-8 that is not ASCII as UTF-8 too, though its system code page is another.
    const auto utf8 = systemCodePageIsUtf8() ? sys : TextEncoding::Utf8;
    // Bytes that are not UTF-8 are read as Windows-1252 only where the system code page is
    // UTF-8; Windows reads them in its own ANSI code page, which is 1252 under Wine.
    const auto legacy = systemCodePageIsUtf8() ? TextEncoding::Windows1252 : sys;
    QTest::newRow("[one CRLF two CRLF]") << QByteArray("one\r\ntwo\r\n") << "one\ntwo\n"
                                         << sys << LineEnding::CrLf;
    QTest::newRow("[one CRLF two] last line without ending") << QByteArray(
        "one\r\ntwo") << "one\ntwo\n" << sys << LineEnding::CrLf;
    QTest::newRow("[one LF two LF]") << QByteArray("one\ntwo\n") << "one\ntwo\n"
                                     << sys << LineEnding::Lf;
    QTest::newRow("[one CR two]") << QByteArray("one\rtwo") << "one\ntwo\n"
                                  << sys << LineEnding::Cr;
    QTest::newRow("[] empty file") << QByteArray() << QString() << sys << LineEnding::CrLf;
    QTest::newRow("[CRLF] one empty line") << QByteArray("\r\n") << "\n" << sys << LineEnding::CrLf;
    QTest::newRow("[abc] no line end at all") << QByteArray("abc") << "abc\n"
                                              << sys << LineEnding::CrLf;
    QTest::newRow("[a CRLF CRLF b] blank line kept") << QByteArray("a\r\n\r\nb\r\n") << "a\n\nb\n"
                                                     << sys << LineEnding::CrLf;
    QTest::newRow("UTF-8 without mark")
        << QByteArray("gr\xC3\xBC\xC3\x9F dich \xE2\x82\xAC\r\n")
        << QString::fromUtf8("grüß dich €\n") << utf8 << LineEnding::CrLf;
    QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBFhi\n") << "hi\n"
                                     << TextEncoding::Utf8Bom << LineEnding::Lf;
    QTest::newRow("UTF-8 mark twice keeps the second as text")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFhi\n") << QString(QChar(0xFEFF)) + "hi\n"
        << TextEncoding::Utf8Bom << LineEnding::Lf;
    QTest::newRow("UTF-16LE with mark") << QByteArray("\xFF\xFEh\0i\0\r\0\n\0", 10) << "hi\n"
                                        << TextEncoding::Utf16LeBom << LineEnding::CrLf;
    QTest::newRow("UTF-16BE with mark") << QByteArray("\xFE\xFF\0h\0i\0\n", 8) << "hi\n"
                                        << TextEncoding::Utf16BeBom << LineEnding::Lf;
    QTest::newRow("UTF-16 mark with odd length falls back") << QByteArray("\xFF\xFEh\0i",
        5) << QString::fromUtf8("ÿþh\0i\n", 8) << legacy << LineEnding::CrLf;
    QTest::newRow("invalid UTF-8 read as Windows-1252")
        << QByteArray("caf\xE9 \x80\r\n") << QString::fromUtf8("café €\n") << legacy
        << LineEnding::CrLf;
    QTest::newRow("truncated UTF-8 sequence at the end")
        << QByteArray("ok\xE2\x82") << QString::fromUtf8("okâ‚\n") << legacy << LineEnding::CrLf;
    QTest::newRow("no-break space kept")
        << QByteArray("a\xC2\xA0z\n") << QString::fromUtf8("a\u00A0z\n") << utf8 << LineEnding::Lf;
    QTest::newRow("NUL byte kept")
        << QByteArray("a\0b\n", 4) << QString::fromUtf8("a\0b\n", 4) << sys << LineEnding::Lf;
}

void TestDocumentFile::decodes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(TextEncoding, encoding);
    QFETCH(LineEnding, ending);
    const DecodedDocument document = decodeDocument(bytes);
    QCOMPARE(document.text, text);
    QCOMPARE(document.format.encoding, encoding);
    QCOMPARE(document.format.lineEnding, ending);
}

void TestDocumentFile::unchangedFileSavesToSameBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CRLF") << QByteArray("one\r\ntwo\r\n");
    QTest::newRow("LF") << QByteArray("one\ntwo\n");
    QTest::newRow("CR") << QByteArray("one\rtwo\r");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("blank lines") << QByteArray("\r\n\r\n\r\n");
    QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBFna\xC3\xAFve\r\n");
    QTest::newRow("UTF-16LE mark") << QByteArray("\xFF\xFEx\0\n\0", 6);
    QTest::newRow("UTF-16BE mark") << QByteArray("\xFE\xFF\0x\0\r\0\n", 8);
    QTest::newRow("Windows-1252 with undefined bytes")
        << QByteArray("\x81\x8D\x8F\x90\x9D\xFF\x80\r\n");
    QTest::newRow("tabs and trailing spaces") << QByteArray("\tindent  \r\n");
    QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd\r\r\n\n");
    QTest::newRow("LF file with one CR LF") << QByteArray("a\nb\r\nc\n");
    QTest::newRow("no last line end") << QByteArray("one\r\ntwo");
    QTest::newRow("CR only, no last line end") << QByteArray("a\rb");
    QTest::newRow("one line, no line end") << QByteArray("x");
    QTest::newRow("UTF-8 mixed, no last line end")
        << QByteArray("caf\xC3\xA9\r\n\xE6\x97\xA5\n\xF0\x9F\x98\x80\r\xC3\xA0");
    QTest::newRow("UTF-16LE mixed, no last line end") << QByteArray("\xFF\xFE"
                                                                    "a\0\r\0\n\0b\0\n\0c\0",
        14);
    QTest::newRow("Windows-1252 mixed") << QByteArray("\xE9\r\n\xE8\n\xE0\r\x81");
}

void TestDocumentFile::unchangedFileSavesToSameBytes()
{
    QFETCH(QByteArray, bytes);
    const LoadedDocument document = loadDocument(bytes);
    const Result<QByteArray> written = encodeDocument(document.text, document.format);
    QVERIFY(written.ok());
    QCOMPARE(written.value(), bytes);
}

void TestDocumentFile::largeFileIsReadInTwoParts_data()
{
    // Large enough for two threads; each row puts something awkward where the halves meet.
    const qsizetype half = 3 * 1024 * 1024;
    const auto utf16 = [](QStringConverter::Encoding order, const QString &text) {
        return QByteArray(QStringEncoder(order, QStringConverter::Flag::WriteBom).encode(text));
    };
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CR LF across the middle")
        << QByteArray(half - 1, 'a') + "\r\n" + QByteArray(half, 'b') + "\r\n";
    QTest::newRow("UTF-8 sequences across the middle") << QByteArray(half - 2, 'a')
            + QByteArray("\xE6\x97\xA5").repeated(5) + "\n" + QByteArray(half, 'b');
    QTest::newRow("mixed ends and wide text throughout")
        << QByteArray("caf\xC3\xA9\r\n\xE6\x97\xA5\nplain ascii line\r\xF0\x9F\x98\x80\r\n")
               .repeated(2 * half / 30);
    QTest::newRow("longest line spans the middle") << QByteArray("short\r\n").repeated(half / 7)
            + QByteArray(4000, 'x') + "\r\n" + QByteArray("short\r\n").repeated(half / 7);
    // In units: a surrogate pair, then a CR LF, where the halves meet.
    const QString pairs
        = QString(half / 2, u'a') + QStringLiteral("\U0001F600\r\n") + QString(half / 2, u'b');
    QTest::newRow("UTF-16LE pair and CR LF across the middle")
        << utf16(QStringConverter::Utf16LE, pairs + QStringLiteral("\r\n"));
    QTest::newRow("UTF-16BE mixed ends, no last line end") << utf16(QStringConverter::Utf16BE,
        QStringLiteral("caf\u00e9\r\n\u65e5\nline\r\U0001F600\r\n").repeated(half / 10)
            + QStringLiteral("end"));
}

// The text loaded is the file's with '\n' for every line end, measured as that text is, and
// written back unchanged it is the file's bytes again.
static void checkLoadedWhole(const QByteArray &bytes)
{
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    QString expected = TextStorage::withNewlines(
        QStringDecoder(utf16 ? QStringConverter::Utf16 : QStringConverter::Utf8).decode(bytes));
    if (!expected.endsWith(QLatin1Char('\n')))
        expected += QLatin1Char('\n');
    qsizetype longest = 0;
    for (const QStringView line : QStringView(expected).split(QLatin1Char('\n')))
        longest = std::max(longest, line.size());

    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char byte) {
        return byte >= 0;
    });
    const TextEncoding utf8
        = systemCodePageIsUtf8() || ascii ? TextEncoding::System : TextEncoding::Utf8;
    const LoadedDocument document = loadDocument(bytes);
    QCOMPARE(document.format.encoding,
        !utf16                         ? utf8
            : bytes.startsWith('\xFF') ? TextEncoding::Utf16LeBom
                                       : TextEncoding::Utf16BeBom);
    QVERIFY(document.text.toString() == expected);
    QCOMPARE(document.text.lineCount(), expected.count(QLatin1Char('\n')) + 1);
    QCOMPARE(document.text.longestLine(), longest);
    const Result<QByteArray> written = encodeDocument(document.text, document.format);
    QVERIFY(written.ok());
    QVERIFY(written.value() == bytes);
}

void TestDocumentFile::largeFileIsReadInTwoParts()
{
    QFETCH(QByteArray, bytes);
    checkLoadedWhole(bytes);
}

void TestDocumentFile::crLfFileLosesOnlyPairedCrs_data()
{
    // Lines of every length up to past two blocks of sixteen bytes, so that the line ends fall
    // on every offset within a block, and on both sides of a block's end.
    const auto lines = [](const auto &ending) {
        QByteArray bytes;
        for (int round = 0; round < 60; ++round) {
            for (int length = 0; length <= 40; ++length)
                bytes += QByteArray(length, char('a' + length % 26)) + ending(length + round);
        }
        return bytes;
    };
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CR LF only") << lines([](int) {
        return "\r\n";
    });
    QTest::newRow("lone CRs and LFs among them") << lines([](int n) {
        return n % 7 == 3 ? "\r" : n % 5 == 1 ? "\n" : "\r\n";
    });
    QTest::newRow("a CR before the pair, an LF after it") << lines([](int n) {
        return n % 3 == 0 ? "\r\r\n" : n % 3 == 1 ? "\r\n\n" : "\r\n";
    });
    QTest::newRow("LF CR turned around") << lines([](int n) {
        return n % 4 == 2 ? "\n\r" : "\r\n";
    });
}

void TestDocumentFile::crLfFileLosesOnlyPairedCrs()
{
    QFETCH(QByteArray, bytes);
    checkLoadedWhole(bytes);
}

void TestDocumentFile::editsKeepUntouchedLineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("a line break typed into a CR file") << QByteArray("a\rb\r") << 1 << 0 << "\n"
                                                       << QByteArray("a\r\rb\r");
    QTest::newRow("a line break typed into a mixed file gets the first one") << QByteArray(
        "x\r\ny\nz\n") << 3 << 0 << "\n" << QByteArray("x\r\ny\r\n\nz\n");
    QTest::newRow("Backspace across a CR LF in an LF file")
        << QByteArray("a\nb\r\nc\n") << 3 << 1 << "" << QByteArray("a\nbc\n");
    QTest::newRow("removing a line with an odd end")
        << QByteArray("1\r\n2\n3\r\n") << 2 << 2 << "" << QByteArray("1\r\n3\r\n");
    QTest::newRow("typing on a last line without line end")
        << QByteArray("a\r\nb") << 3 << 0 << "x" << QByteArray("a\r\nbx");
    QTest::newRow("a line added after a last line without line end")
        << QByteArray("a\r\nb") << 4 << 0 << "c" << QByteArray("a\r\nb\r\nc\r\n");
    QTest::newRow("the last line emptied keeps its empty line")
        << QByteArray("a\nb") << 2 << 1 << "" << QByteArray("a\n\n");
    QTest::newRow("the last line end removed gets the usual one back")
        << QByteArray("a\rb") << 3 << 1 << "" << QByteArray("a\rb\r");
    QTest::newRow("pasted line breaks get the usual one")
        << QByteArray("a\r\nb\n") << 1 << 0 << "-\n-" << QByteArray("a-\r\n-\r\nb\n");
}

// Each case is one edit of a loaded file; taking it back must give the file's bytes again.
void TestDocumentFile::editsKeepUntouchedLineEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, at);
    QFETCH(int, removed);
    QFETCH(QString, added);
    QFETCH(QByteArray, written);
    LoadedDocument loaded = loadDocument(bytes);
    const TextStorage::Splice splice = loaded.text.replace(at, removed, added);
    const Result<QByteArray> edited = encodeDocument(loaded.text, loaded.format);
    QVERIFY(edited.ok());
    QCOMPARE(edited.value(), written);
    // What is read back is the text as edited, a last line ended as every line read is.
    QString text = loaded.text.toString();
    if (!text.endsWith(QLatin1Char('\n')))
        text.append(QLatin1Char('\n'));
    QCOMPARE(decodeDocument(edited.value()).text, text);
    loaded.text.revert(splice);
    const Result<QByteArray> reverted = encodeDocument(loaded.text, loaded.format);
    QVERIFY(reverted.ok());
    QCOMPARE(reverted.value(), bytes);
}

void TestDocumentFile::writesLineEndingsAndFinalBreak_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<LineEnding>("ending");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("[abc] gets one CRLF") << "abc" << LineEnding::CrLf << QByteArray("abc\r\n");
    QTest::newRow("[abc LF] gets no second one") << "abc\n"
                                                 << LineEnding::CrLf << QByteArray("abc\r\n");
    QTest::newRow("[] stays empty") << "" << LineEnding::CrLf << QByteArray();
    QTest::newRow("[a LF b] as LF") << "a\nb" << LineEnding::Lf << QByteArray("a\nb\n");
    QTest::newRow("[a LF b] as CR") << "a\nb" << LineEnding::Cr << QByteArray("a\rb\r");
    QTest::newRow("[LF] one empty line") << "\n" << LineEnding::CrLf << QByteArray("\r\n");
}

void TestDocumentFile::writesLineEndingsAndFinalBreak()
{
    QFETCH(QString, text);
    QFETCH(LineEnding, ending);
    QFETCH(QByteArray, bytes);
    const Result<QByteArray> written = encodeDocument(text, { TextEncoding::System, ending });
    QVERIFY(written.ok());
    QCOMPARE(written.value(), bytes);
}

void TestDocumentFile::refusesCharactersTheEncodingCannotHold_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::newRow("CJK in Windows-1252") << QString::fromUtf8("日本") << TextEncoding::Windows1252;
    QTest::newRow("C1 control that 1252 uses for the euro")
        << QString(QChar(0x80)) << TextEncoding::Windows1252;
    QTest::newRow("lone surrogate in UTF-8") << QString(QChar(0xD800)) << TextEncoding::System;
    QTest::newRow("lone surrogate in UTF-8 with mark")
        << QString(QChar(0xDC00)) << TextEncoding::Utf8Bom;
}

void TestDocumentFile::refusesCharactersTheEncodingCannotHold()
{
    QFETCH(QString, text);
    QFETCH(TextEncoding, encoding);
    const Result<QByteArray> written = encodeDocument(text, { encoding, LineEnding::CrLf });
    QVERIFY(!written.ok());
    QCOMPARE(written.failure().number, FailureNumber::UnencodableText);
}

void TestDocumentFile::everySingleByteSurvivesWindows1252()
{
    QByteArray all;
    for (int value = 0; value < 256; ++value) {
        if (value != '\r' && value != '\n')
            all.append(char(value));
    }
    all.append("\r\n");
    const DecodedDocument document = decodeDocument(all);
    QCOMPARE(document.format.encoding,
        systemCodePageIsUtf8() ? TextEncoding::Windows1252 : TextEncoding::System);
    const Result<QByteArray> written = encodeDocument(document.text, document.format);
    QVERIFY(written.ok());
    QCOMPARE(written.value(), all);
}

// Found by fuzzing: uniform line endings made this odd-length file even, and so valid UTF-16.
void TestDocumentFile::writerInPartsGivesTheSameBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // The text as typed, without the line ends of the file.
    QTest::addColumn<bool>("retyped");
    const QByteArray mixed("caf\xC3\xA9\r\n\xE6\x97\xA5\nline\r\xF0\x9F\x98\x80\r\n");
    QTest::newRow("UTF-8, mixed line ends") << mixed.repeated(20000) << false;
    QTest::newRow("UTF-16LE") << QByteArray("\xFF\xFE")
            + QByteArray("a\0\r\0\n\0", 6).repeated(50000)
                              << false;
    QTest::newRow("Windows-1252 without a last line end")
        << QByteArray("\xE9t\xE9\r\n").repeated(50000) + "\x80" << false;
    // Written with CR LF, it would read back as UTF-16; that shows only once all is written.
    QTest::newRow("Windows-1252 that would read back as UTF-16")
        << QByteArray("\xFF\xFEh\0i\0\r\0G\n\0", 11) + QByteArray("h\0i\0", 4).repeated(50000)
        << true;
}

// A save writes what the writer gives a few megabytes at a time; small parts put part borders
// everywhere, and must give what one part gives.
void TestDocumentFile::writerInPartsGivesTheSameBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, retyped);
    LoadedDocument document = loadDocument(bytes);
    if (retyped)
        document.text = TextStorage::fromText(document.text.toString());
    const Result<QByteArray> whole = encodeDocument(document.text, document.format);
    // The one retyped row is the one refused.
    QCOMPARE(whole.ok(), !retyped);
    DocumentWriter writer(document.text, document.format, nullptr);
    QByteArray written;
    for (Result<bool> more = true; more.value();) {
        QByteArray part;
        more = writer.next(part, 1000);
        if (!more.ok()) {
            QVERIFY(!whole.ok());
            QCOMPARE(more.failure(), whole.failure());
            return;
        }
        QVERIFY(part.size() >= 1000 || !more.value());
        written += part;
    }
    QVERIFY(whole.ok());
    QVERIFY(written == whole.value());
    QVERIFY(retyped || written == bytes);
}

void TestDocumentFile::latin1TextSavesAsUtf8_data()
{
    QTest::addColumn<LineEnding>("ending");
    QTest::addColumn<bool>("accented");
    QTest::newRow("CR LF") << LineEnding::CrLf << true;
    QTest::newRow("LF") << LineEnding::Lf << true;
    QTest::newRow("CR") << LineEnding::Cr << true;
    QTest::newRow("ASCII, CR LF") << LineEnding::CrLf << false;
    QTest::newRow("ASCII, LF") << LineEnding::Lf << false;
}

// A Windows-1252 file, or an ASCII one, is kept a byte a character and written as UTF-8
// sixteen bytes at a time; a line break or an accented letter at any place in a block, none,
// or two in one, must come out as a whole-text conversion gives it. The last line keeps
// having no line end.
void TestDocumentFile::latin1TextSavesAsUtf8()
{
    QFETCH(LineEnding, ending);
    QFETCH(bool, accented);
    QByteArray bytes;
    for (int at = 0; at < 40; ++at) {
        bytes += QByteArray(at, 'a') + (at % 3 || !accented ? "\r\n" : "\xE9\r\n")
            + QByteArray(at % 5, 'b') + (at % 2 && accented ? "\xFF\xE0" : "") + "\r\n";
    }
    bytes += accented ? "end \xE9" : "end";
    LoadedDocument document = loadDocument(bytes);
    const TextEncoding legacy
        = systemCodePageIsUtf8() ? TextEncoding::Windows1252 : TextEncoding::System;
    QCOMPARE(document.format.encoding, accented ? legacy : TextEncoding::System);
    const DocumentFormat utf8 { systemCodePageIsUtf8() ? TextEncoding::System : TextEncoding::Utf8,
        ending };
    const Result<QByteArray> saved = encodeDocument(document.text, utf8);
    QVERIFY(saved.ok());
    const QByteArray endings[] = { "\r\n", "\n", "\r" };
    QString expected
        = QString::fromLatin1(bytes).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    expected.replace(u'\n', QString::fromLatin1(endings[int(ending)]));
    QCOMPARE(saved.value(), expected.toUtf8());
}

void TestDocumentFile::refusesToTurnWindows1252IntoUtf16()
{
    const DecodedDocument document = decodeDocument(QByteArray("\xFF\xFEh\0i\0\r\0G\n\0", 11));
    QCOMPARE(document.format.encoding, TextEncoding::Windows1252);
    const Result<QByteArray> written = encodeDocument(document.text, document.format);
    QVERIFY(!written.ok());
    QCOMPARE(written.failure().number, FailureNumber::AmbiguousEncoding);
}

void TestDocumentFile::corpusSurvivesLoadAndSave_data()
{
    QTest::addColumn<QString>("path");
    const QDir corpus(QStringLiteral(OMRIK_FUZZ_CORPUS));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    QVERIFY(names.size() >= 10);
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << corpus.filePath(name);
}

// Each seed of the fuzzer read from disk into the editor's storage, saved through a
// temporary file as a save does, and read back.
void TestDocumentFile::corpusSurvivesLoadAndSave()
{
    QFETCH(QString, path);
    DiskFileStore files;
    const Result<QByteArray> original = files.readFile(path);
    QVERIFY(original.ok());
    const LoadedDocument loaded = loadDocument(original.value());
    const Result<QByteArray> encoded = encodeDocument(loaded.text, loaded.format);
    QVERIFY(encoded.ok());
    QTemporaryDir folder;
    const QString copy = folder.filePath(QStringLiteral("copy.txt"));
    QVERIFY(!files.writeFile(copy, encoded.value()).has_value());
    const Result<QByteArray> saved = files.readFile(copy);
    QVERIFY(saved.ok());
    const LoadedDocument reloaded = loadDocument(saved.value());
    QCOMPARE(reloaded.text.toString(), loaded.text.toString());
    QCOMPARE(reloaded.format, loaded.format);
    QCOMPARE(saved.value(), original.value());
}

QTEST_APPLESS_MAIN(TestDocumentFile)
#include "tst_documentfile.moc"
