#include "engine/lineindex.h"

#include <QRandomGenerator>
#include <QtTest>

// The index against a plain list of piece sizes, through random edits anywhere, so the
// pending step is applied, moved back and forward and folded in every order.
class TestLineIndex : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void randomEditsMatchPlainSizes();
    void positionsBeyond32Bits();
};

namespace {

using Start = LineIndex::Start;

Start randomSize(QRandomGenerator &random)
{
    const qsizetype length = 1 + random.bounded(1000);
    return { length, random.bounded(int(length) + 1) };
}

void compare(const LineIndex &index, const std::vector<Start> &sizes)
{
    QCOMPARE(index.pieceCount(), sizes.size());
    Start start;
    for (std::size_t piece = 0; piece < sizes.size(); ++piece) {
        QCOMPARE(index.start(piece), start);
        // A lookup inside the piece, at its first unit and at its last, finds it.
        QCOMPARE(index.pieceAtPosition(start.position), piece);
        QCOMPARE(index.pieceAtPosition(start.position + sizes[piece].position - 1), piece);
        if (sizes[piece].line > 0)
            QCOMPARE(index.pieceWithBreak(start.line + 1), piece);
        start = { start.position + sizes[piece].position, start.line + sizes[piece].line };
    }
    QCOMPARE(index.totals(), start);
    QCOMPARE(index.pieceAtPosition(start.position), sizes.size());
}

} // namespace

void TestLineIndex::randomEditsMatchPlainSizes()
{
    QRandomGenerator random(11);
    LineIndex index;
    std::vector<Start> sizes;
    for (int i = 0; i < 40; ++i) {
        const Start size = randomSize(random);
        index.append(size.position, size.line);
        sizes.push_back(size);
    }
    for (int step = 0; step < 3000; ++step) {
        const std::size_t piece = std::size_t(random.bounded(int(sizes.size())));
        const int kind = random.bounded(4);
        if (kind == 0 && sizes[piece].position > 1) {
            const qsizetype length = 1 + random.bounded(int(sizes[piece].position - 1));
            const qsizetype lines = std::min(sizes[piece].line, length);
            index.split(piece, length, lines);
            sizes.insert(sizes.begin() + qsizetype(piece) + 1,
                { sizes[piece].position - length, sizes[piece].line - lines });
            sizes[piece] = { length, lines };
        } else if (kind == 1) {
            const std::size_t last = std::min(sizes.size(), piece + random.bounded(4));
            std::vector<Start> with(std::size_t(random.bounded(4)));
            for (Start &size : with)
                size = randomSize(random);
            if (sizes.size() - (last - piece) + with.size() == 0)
                continue;
            index.replace(piece, last, with.size(), [&with](std::size_t i) {
                return with[i];
            });
            sizes.erase(sizes.begin() + qsizetype(piece), sizes.begin() + qsizetype(last));
            sizes.insert(sizes.begin() + qsizetype(piece), with.begin(), with.end());
        } else if (kind == 2) {
            const qsizetype grow = random.bounded(50);
            index.resize(piece, grow, grow / 10);
            sizes[piece] = { sizes[piece].position + grow, sizes[piece].line + grow / 10 };
        } else {
            const Start size = randomSize(random);
            index.append(size.position, size.line);
            sizes.push_back(size);
        }
        if (step % 50 == 0)
            compare(index, sizes);
    }
    compare(index, sizes);
}

// Pieces of a document of several gigabytes, which no int could count.
void TestLineIndex::positionsBeyond32Bits()
{
    LineIndex index;
    constexpr qsizetype Piece = 64 * 1024;
    constexpr qsizetype Pieces = 100000;
    for (qsizetype i = 0; i < Pieces; ++i)
        index.append(Piece, 1000);
    index.resize(0, 1, 1);
    const qsizetype end = Pieces * Piece + 1;
    QCOMPARE(index.totals(), (Start { end, Pieces * 1000 + 1 }));
    QCOMPARE(index.pieceAtPosition(end - 1), std::size_t(Pieces - 1));
    QCOMPARE(index.pieceWithBreak(Pieces * 1000 + 1), std::size_t(Pieces - 1));
    QCOMPARE(index.start(Pieces / 2).position, Pieces / 2 * Piece + 1);
}

QTEST_GUILESS_MAIN(TestLineIndex)
#include "tst_lineindex.moc"
