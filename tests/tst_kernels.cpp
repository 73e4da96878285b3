#include "kernels/textkernels.h"

#include <QtTest>

#include <random>
#include <vector>

using namespace kernels;

namespace {

// Bytes of every length up to past four of the widest blocks, at every offset into a block,
// drawn from an alphabet that puts the interesting bytes on block borders often.
struct Sample
{
    QByteArray bytes;
    qsizetype offset = 0;
    const char *data() const { return bytes.constData() + offset; }
    qsizetype length() const { return bytes.size() - offset; }
};

template<class Check>
void forEverySample(QByteArrayView alphabet, Check check)
{
    std::mt19937 random(20261209);
    for (qsizetype length = 0; length <= 4 * 64 + 3; ++length) {
        for (qsizetype offset = 0; offset < 33; offset += length < 80 ? 1 : 8) {
            Sample sample { QByteArray(offset + length, '\0'), offset };
            for (char &byte : sample.bytes)
                byte = alphabet[random() % alphabet.size()];
            check(sample);
            if (QTest::currentTestFailed())
                return;
        }
    }
}

struct Noted final : OddLineEnds
{
    using OddLineEnds::OddLineEnds;
    void note(qsizetype out, LineEnd end) override { ends.push_back({ out, int(end) }); }
    std::vector<std::pair<qsizetype, int>> ends;
};

template<class Unit>
void compareCompacting(const Sample &sample, KernelLevel level, LineEnd usual, qsizetype gap)
{
    std::vector<Unit> units(sample.bytes.begin(), sample.bytes.end());
    const qsizetype from = std::min<qsizetype>(sample.offset, gap);
    std::vector<Unit> scalarUnits = units;
    Noted scalarEnds(usual), levelEnds(usual);
    setKernelLevel(KernelLevel::Scalar);
    const qsizetype scalarEnd = compactLines(scalarUnits.data(),
        sample.offset,
        qsizetype(units.size()),
        sample.offset - from,
        scalarEnds);
    setKernelLevel(level);
    const qsizetype levelEnd = compactLines(
        units.data(), sample.offset, qsizetype(units.size()), sample.offset - from, levelEnds);
    QCOMPARE(levelEnd, scalarEnd);
    QVERIFY(std::equal(units.begin(), units.begin() + levelEnd, scalarUnits.begin()));
    QVERIFY(levelEnds.ends == scalarEnds.ends);
}

} // namespace

class tst_Kernels : public QObject
{
    Q_OBJECT

private slots:
    void levels_data();
    void cleanup() { setKernelLevel(KernelLevel::Avx2); }

    void checksMatchTheirScalarTwins_data() { levels_data(); }
    void checksMatchTheirScalarTwins();
    void compactingMatchesItsScalarTwin_data() { levels_data(); }
    void compactingMatchesItsScalarTwin();
    void utf8WritingMatchesItsScalarTwin_data() { levels_data(); }
    void utf8WritingMatchesItsScalarTwin();
    void findingMatchesItsScalarTwin_data() { levels_data(); }
    void findingMatchesItsScalarTwin();
    void measuringMatchesItsScalarTwin_data() { levels_data(); }
    void measuringMatchesItsScalarTwin();
    void scalarTwinsAreRight();
};

void tst_Kernels::levels_data()
{
    QTest::addColumn<KernelLevel>("level");
    QTest::newRow("sse2") << KernelLevel::Sse2;
    QTest::newRow("avx2") << KernelLevel::Avx2;
}

#define FORCE_LEVEL()                                                                              \
    QFETCH(KernelLevel, level);                                                                    \
    if (setKernelLevel(level) != level)                                                            \
        QSKIP("this processor does not run that level");

void tst_Kernels::checksMatchTheirScalarTwins()
{
    FORCE_LEVEL();
    // Mostly plain bytes, so that a lone high one, a C1 control or a surrogate's high byte
    // stands anywhere in a block, its first and last place too.
    const QByteArray alphabet = QByteArray(40, 'a') + "\x80\x9F\xA0\xC3\xD8\xDF\xE0";
    forEverySample(alphabet, [level](const Sample &sample) {
        setKernelLevel(KernelLevel::Scalar);
        const bool ascii = isAscii(sample.data(), sample.length());
        const bool latin1 = isLatin1In1252(sample.data(), sample.length());
        const bool little = anySurrogate(sample.data(), sample.length() / 2, true);
        const bool big = anySurrogate(sample.data(), sample.length() / 2, false);
        setKernelLevel(level);
        QCOMPARE(isAscii(sample.data(), sample.length()), ascii);
        QCOMPARE(isLatin1In1252(sample.data(), sample.length()), latin1);
        QCOMPARE(anySurrogate(sample.data(), sample.length() / 2, true), little);
        QCOMPARE(anySurrogate(sample.data(), sample.length() / 2, false), big);
    });
}

void tst_Kernels::compactingMatchesItsScalarTwin()
{
    FORCE_LEVEL();
    // Whole blocks of CR LF pairs, lone ends among them, and a CR at a block's last place.
    for (const QByteArray &alphabet : { QByteArray("ab\r\n"),
             QByteArray("abcdefg\r\n\r\n\n\r"),
             QByteArray("abcdefghijklmno\r\n") }) {
        for (const LineEnd usual : { LineEnd::CrLf, LineEnd::Lf, LineEnd::Cr }) {
            forEverySample(alphabet, [&](const Sample &sample) {
                // The text moves down by what earlier blocks lost, or stays where it is.
                for (const qsizetype gap : { 0, 3, 17 }) {
                    compareCompacting<char>(sample, level, usual, gap);
                    compareCompacting<char16_t>(sample, level, usual, gap);
                }
            });
        }
    }
}

void tst_Kernels::utf8WritingMatchesItsScalarTwin()
{
    FORCE_LEVEL();
    for (const QByteArray &ending : { QByteArray("\r\n"), QByteArray("\n"), QByteArray("\r") }) {
        forEverySample(QByteArray(20, 'a') + "\n\n\xE9\x80", [&](const Sample &sample) {
            QByteArray scalarOut(2 * sample.length() + 16, '\0');
            QByteArray levelOut = scalarOut;
            setKernelLevel(KernelLevel::Scalar);
            const qsizetype scalarEnd
                = latin1ToUtf8(sample.data(), sample.length(), ending, scalarOut.data())
                - scalarOut.constData();
            setKernelLevel(level);
            const qsizetype levelEnd
                = latin1ToUtf8(sample.data(), sample.length(), ending, levelOut.data())
                - levelOut.constData();
            QCOMPARE(levelOut.first(levelEnd), scalarOut.first(scalarEnd));
        });
    }
}

void tst_Kernels::findingMatchesItsScalarTwin()
{
    FORCE_LEVEL();
    forEverySample("aab", [level](const Sample &sample) {
        for (const QByteArray &needle : { QByteArray("b"),
                 QByteArray("ab"),
                 QByteArray("bab"),
                 QByteArray("aaaab"),
                 QByteArray("abaababbab"),
                 QByteArray("c") }) {
            for (qsizetype from = 0; from <= sample.length(); from += 7) {
                setKernelLevel(KernelLevel::Scalar);
                const qsizetype scalarFound = findBytes(
                    sample.data(), sample.length(), from, needle.constData(), needle.size());
                setKernelLevel(level);
                QCOMPARE(
                    findBytes(
                        sample.data(), sample.length(), from, needle.constData(), needle.size()),
                    scalarFound);
            }
        }
    });
}

void tst_Kernels::measuringMatchesItsScalarTwin()
{
    FORCE_LEVEL();
    // Lines shorter and longer than a block, after a line that began earlier or not.
    for (const qsizetype lineBefore : { 0, 70 }) {
        for (const qsizetype longestBefore : { 0, 63, 300 }) {
            forEverySample(QByteArray(30, 'a') + "\n", [&](const Sample &sample) {
                const auto measure = [&](KernelLevel at) {
                    qsizetype lineLength = lineBefore;
                    qsizetype longest = longestBefore;
                    LineMeasure lines { lineLength, longest };
                    setKernelLevel(at);
                    measureLines(reinterpret_cast<const uchar *>(sample.data()),
                        qint32(sample.length()),
                        lines);
                    return std::array<qsizetype, 4> {
                        lines.count, lines.lineStart, lineLength, longest
                    };
                };
                QCOMPARE(measure(level), measure(KernelLevel::Scalar));
            });
        }
    }
}

// The twins are the reference only where they are right themselves.
void tst_Kernels::scalarTwinsAreRight()
{
    setKernelLevel(KernelLevel::Scalar);
    QVERIFY(isAscii("plain", 5));
    QVERIFY(!isAscii("caf\xC3\xA9", 5));
    QVERIFY(isLatin1In1252("caf\xE9", 4));
    QVERIFY(!isLatin1In1252("\x80 euro", 6));
    QVERIFY(anySurrogate("a\0\x3D\xD8", 2, true));
    QVERIFY(!anySurrogate("a\0\x3D\xD8", 2, false));

    QByteArray text("a\r\nb\nc\rd\r\n");
    Noted odd(LineEnd::CrLf);
    text.truncate(compactLines(text.data(), 0, text.size(), 0, odd));
    QCOMPARE(text, QByteArray("a\nb\nc\nd\n"));
    QVERIFY((odd.ends
        == std::vector<std::pair<qsizetype, int>> {
            { 3, int(LineEnd::Lf) }, { 5, int(LineEnd::Cr) } }));

    char out[64];
    QCOMPARE(QByteArrayView(out, latin1ToUtf8("\xE9\n", 2, "\r\n", out) - out),
        QByteArrayView("\xC3\xA9\r\n"));
    QCOMPARE(findBytes("abcabd", 6, 1, "abd", 3), 3);
    QCOMPARE(findBytes("abcabd", 6, 4, "abd", 3), -1);

    qsizetype lineLength = 2;
    qsizetype longest = 0;
    LineMeasure lines { lineLength, longest };
    measureLines(reinterpret_cast<const uchar *>("abc\nde\nf"), 8, lines);
    QCOMPARE(lines.count, 2);
    QCOMPARE(longest, 5);
    QCOMPARE(lines.lineStart, 7);
}

QTEST_APPLESS_MAIN(tst_Kernels)
#include "tst_kernels.moc"
