#include "engine/textcontrol.h"
#include "tests/support/testenvironment.h"

#include <QAccessible>
#include <QClipboard>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include <functional>

using ControlSteps = std::function<void(TextControl &)>;
Q_DECLARE_METATYPE(ControlSteps)

// What the text control shows and where: rows, caret, hit testing, wrapping, input methods,
// scripts that run right to left, and what screen readers see. A monospaced font makes the
// expected places easy to state.
class TestTextView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void rowsAndCaretFollowTheFont();
    void clicksLandWhereTheCaretIsDrawn();
    void theLastLineIsShownAtTheBottom();
    void wordWrapFollowsTheWidth();
    void inputMethodComposesThenCommits();
    void rightToLeftAndCombiningCharacters();
    void tabMovesTheFocus();
    void backgroundStaysPutWhenTheTextScrolls();
    void selectionIsHiddenWithoutTheFocus();
    void screenReadersSeeTheText();
    void primarySelectionIsReadWhenAsked_data();
    void primarySelectionIsReadWhenAsked();
    void middleClickPastesAgain();
    void emptyEditsAndNewTextLeaveNothingToUndo();
    void pastingWhileComposingStartsTheCompositionAgain();
    void editsKeepEveryLineInItsPlace();
    void dragAfterADoubleClickGoesByWords();
    void longLinesAreShownInRowsOfTheirOwn();
    void rowsOfLongLinesKeepCharactersWhole();
    void longLinesScrollByRows();

private:
    QString numberedLines(int count) const;
    void editSomewhere(QRandomGenerator &random);
    void compareNearTheCaret(TextControl &fresh, int caret, int &compared);
    int pressAt(int position, Qt::Key key, Qt::KeyboardModifiers modifiers = {});
    void checkWrappedRows(int top, int rowHeight);
    static bool hasSelectionClipboard();
    std::unique_ptr<QWidget> m_window;
    TextControl *m_box = nullptr;
    qreal m_advance = 0;
};

void TestTextView::init()
{
    m_window = std::make_unique<QWidget>();
    m_window->resize(400, 300);
    m_box = new TextControl(m_window.get());
    m_box->setGeometry(0, 0, 400, 300);
    m_box->setControlFont(ControlFont { QStringLiteral("DejaVu Sans Mono"), 10, false });
    m_advance = QFontMetricsF(m_box->font()).horizontalAdvance(QLatin1Char('x'));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QApplication::setActiveWindow(m_window.get());
    m_box->setFocus();
}

void TestTextView::cleanup()
{
    m_window.reset();
}

QString TestTextView::numberedLines(int count) const
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("line %1").arg(i, 3, 10, QLatin1Char('0'));
    return lines.join(QLatin1Char('\n'));
}

void TestTextView::rowsAndCaretFollowTheFont()
{
    m_box->setText(numberedLines(100));
    const QRect first = m_box->cursorRect(0);
    const QRect second = m_box->cursorRect(9);
    const int rowHeight = second.top() - first.top();
    QVERIFY(rowHeight >= QFontMetrics(m_box->font()).height() - 1);
    QCOMPARE(first.height(), rowHeight);
    for (int line = 0; line < 10; ++line)
        QCOMPARE(m_box->cursorRect(line * 9).top(), first.top() + line * rowHeight);
    QCOMPARE(m_box->cursorRect(5).left() - first.left(), qRound(5 * m_advance));

    m_box->setControlFont(ControlFont { QStringLiteral("DejaVu Sans Mono"), 20, false });
    QVERIFY(m_box->cursorRect(0).height() > rowHeight * 3 / 2);
}

void TestTextView::clicksLandWhereTheCaretIsDrawn()
{
    m_box->setText(numberedLines(100));
    for (int position : { 0, 3, 8, 9, 40, 60, 170 }) {
        const QRect caret = m_box->cursorRect(position);
        QCOMPARE(m_box->positionAt(caret.center()), position);
        QTest::mouseClick(m_box->viewport(), Qt::LeftButton, {}, caret.center());
        QCOMPARE(m_box->selStart(), position);
    }
    // Past the end of a row, the click goes to the end of that line.
    QCOMPARE(m_box->positionAt(QPoint(390, m_box->cursorRect(9).center().y())), 17);
}

void TestTextView::theLastLineIsShownAtTheBottom()
{
    m_box->setText(numberedLines(1000));
    QTest::keyClick(m_box, Qt::Key_End, Qt::ControlModifier);
    const QRect last = m_box->cursorRect(m_box->textLength());
    QVERIFY(m_box->viewport()->rect().contains(last));
    QVERIFY(last.bottom() > m_box->viewport()->height() - 2 * last.height());
    QVERIFY(m_box->cursorRect(0).bottom() < 0);
    QCOMPARE(m_box->verticalScrollBar()->value(), m_box->verticalScrollBar()->maximum());

    // Page Up moves the caret and the rows by the same amount.
    const int before = m_box->verticalScrollBar()->value();
    QTest::keyClick(m_box, Qt::Key_PageUp);
    const int moved = before - m_box->verticalScrollBar()->value();
    QVERIFY(moved > 5);
    QVERIFY(m_box->viewport()->rect().contains(m_box->cursorRect(m_box->selStart())));
}

void TestTextView::wordWrapFollowsTheWidth()
{
    const QString line = QStringLiteral("word ").repeated(60);
    m_box->setText(line);
    QVERIFY(m_box->horizontalScrollBar()->maximum() > 0);
    QCOMPARE(m_box->cursorRect(line.size()).top(), m_box->cursorRect(0).top());

    m_box->setWordWrap(true);
    QCOMPARE(m_box->horizontalScrollBar()->maximum(), 0);
    const QRect end = m_box->cursorRect(line.size());
    QVERIFY(end.top() > m_box->cursorRect(0).top());
    QVERIFY(end.right() < m_box->viewport()->width());
    const int narrowRows = end.top() - m_box->cursorRect(0).top();
    // A row breaks after a whole word.
    const int rowStart
        = m_box->positionAt(QPoint(0, m_box->cursorRect(0).top() + end.height() * 3 / 2));
    QCOMPARE(rowStart % 5, 0);

    m_box->resize(390 * 2, 300);
    QVERIFY(m_box->cursorRect(line.size()).top() - m_box->cursorRect(0).top() < narrowRows);
    m_box->setWordWrap(false);
    QCOMPARE(m_box->cursorRect(line.size()).top(), m_box->cursorRect(0).top());
    QCOMPARE(m_box->text(), line);
}

void TestTextView::inputMethodComposesThenCommits()
{
    m_box->setText(QStringLiteral("ab"));
    m_box->setSelStart(1);
    QSignalSpy changed(m_box, &TextControl::changed);
    QInputMethodEvent compose(
        QStringLiteral("e"), { { QInputMethodEvent::Cursor, 1, 1, QVariant() } });
    QApplication::sendEvent(m_box, &compose);
    QCOMPARE(m_box->text(), QStringLiteral("ab"));
    QCOMPARE(changed.size(), 0);
    const QRect composing = m_box->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QVERIFY(composing.left() > m_box->cursorRect(1).left());

    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("\u00E9"));
    QApplication::sendEvent(m_box, &commit);
    QCOMPARE(m_box->text(), QStringLiteral("a\u00E9b"));
    QCOMPARE(m_box->selStart(), 2);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(m_box->inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("a\u00E9b"));
    QCOMPARE(m_box->inputMethodQuery(Qt::ImCursorPosition).toInt(), 2);

    // A commit replaces the selection, like typing.
    m_box->setSelStart(0);
    m_box->setSelLength(2);
    QInputMethodEvent replace;
    replace.setCommitString(QStringLiteral("\u4E2D"));
    QApplication::sendEvent(m_box, &replace);
    QCOMPARE(m_box->text(), QStringLiteral("\u4E2Db"));
}

void TestTextView::rightToLeftAndCombiningCharacters()
{
    const QString hebrew = QStringLiteral("\u05E9\u05DC\u05D5\u05DD");
    m_box->setText(hebrew + QStringLiteral("\ne\u0301x\n"));
    QVERIFY(m_box->cursorRect(1).left() > m_box->cursorRect(3).left());

    m_box->setSelStart(5);
    QTest::keyClick(m_box, Qt::Key_Right);
    QCOMPARE(m_box->selStart(), 7);
    QTest::keyClick(m_box, Qt::Key_Backspace);
    QCOMPARE(m_box->text(), hebrew + QStringLiteral("\nex\n"));
    m_box->setText(QStringLiteral("e\u0301x"));
    QTest::keyClick(m_box, Qt::Key_Delete);
    QCOMPARE(m_box->text(), QStringLiteral("x"));
}

void TestTextView::tabMovesTheFocus()
{
    auto *next = new QLineEdit(m_window.get());
    next->setGeometry(0, 280, 100, 20);
    next->show();
    m_box->setText(QStringLiteral("text"));
    m_box->setFocus();
    QTRY_VERIFY(m_box->hasFocus());
    QTest::keyClick(m_box, Qt::Key_Tab);
    QTRY_VERIFY(next->hasFocus());
    QCOMPARE(m_box->text(), QStringLiteral("text"));
}

void TestTextView::backgroundStaysPutWhenTheTextScrolls()
{
    // Stripes one pixel high show any sideways or upward shift of the picture.
    QImage stripes(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            stripes.setPixel(x, y, qRgb(y * 30, 255 - x * 30, 128));
    QPalette palette = m_window->palette();
    palette.setBrush(QPalette::Window, QBrush(stripes));
    m_window->setPalette(palette);
    m_window->setAutoFillBackground(true);
    m_box->setText(numberedLines(200));
    const QRect blank(250, 40, 100, 150);
    const QImage before = m_window->grab(blank).toImage();
    const int top = m_box->cursorRect(0).top();
    m_box->verticalScrollBar()->setValue(37);
    QCOMPARE(m_box->cursorRect(37 * 9).top(), top);
    const QImage after = m_window->grab(blank).toImage();
    QCOMPARE(after, before);
}

void TestTextView::selectionIsHiddenWithoutTheFocus()
{
    m_box->setText(QStringLiteral("selected text"));
    m_box->setSelStart(0);
    m_box->setSelLength(8);
    const QColor highlight = m_box->palette().color(QPalette::Active, QPalette::Highlight);
    auto highlighted = [&] {
        const QImage image = m_box->viewport()->grab().toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixelColor(x, y) == highlight;
        return count;
    };
    QTRY_VERIFY(m_box->hasFocus());
    QVERIFY(highlighted() > 100);
    m_box->clearFocus();
    QCOMPARE(highlighted(), 0);
    QCOMPARE(m_box->selLength(), 8);
    // A menu bar taking the keyboard, as Alt with a letter does, leaves it in view.
    QLineEdit elsewhere(m_window.get());
    elsewhere.show();
    m_box->setFocus();
    QTRY_VERIFY(m_box->hasFocus());
    elsewhere.setFocus(Qt::MenuBarFocusReason);
    QTRY_VERIFY(!m_box->hasFocus());
    QVERIFY(highlighted() > 100);
}

void TestTextView::screenReadersSeeTheText()
{
    m_box->setText(QStringLiteral("first line\nsecond"));
    m_box->setSelStart(13);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(m_box);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::EditableText);
    QAccessibleTextInterface *text = accessible->textInterface();
    QVERIFY(text);
    QCOMPARE(text->characterCount(), 17);
    QCOMPARE(text->cursorPosition(), 13);
    QCOMPARE(text->text(6, 10), QStringLiteral("line"));
    int start = 0;
    int end = 0;
    QCOMPARE(text->textAtOffset(3, QAccessible::LineBoundary, &start, &end),
        QStringLiteral("first line\n"));
    QCOMPARE(
        text->textAtOffset(13, QAccessible::WordBoundary, &start, &end), QStringLiteral("second"));
    QCOMPARE(start, 11);
    QCOMPARE(text->offsetAtPoint(m_box->viewport()->mapToGlobal(m_box->cursorRect(4).center())), 4);
    text->setSelection(0, 0, 5);
    QCOMPARE(m_box->selectedText(), QStringLiteral("first"));
    accessible->editableTextInterface()->replaceText(0, 5, QStringLiteral("1st"));
    QCOMPARE(m_box->text(), QStringLiteral("1st line\nsecond"));
}

bool TestTextView::hasSelectionClipboard()
{
    if (QGuiApplication::clipboard()->supportsSelection())
        return true;
    // The tests that need it run again in an X window, where it must be there.
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        qFatal("X11 without a selection clipboard");
    return false;
}

void TestTextView::primarySelectionIsReadWhenAsked_data()
{
    QTest::addColumn<ControlSteps>("steps");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("primary");
    const auto row
        = [](const char *name, const ControlSteps &steps, const char *text, const char *primary) {
              QTest::newRow(name) << steps << QString::fromUtf8(text) << QString::fromUtf8(primary);
          };
    const auto oneTwo = [](TextControl &box, int anchor, int caret) {
        box.setText(QStringLiteral("one two"));
        box.select(anchor, caret);
    };
    row(
        "Select all through SelStart and SelLength",
        [](TextControl &box) {
            box.setText(QStringLiteral("one two"));
            box.setSelStart(0);
            box.setSelLength(box.textLength());
        },
        "one two",
        "one two");
    row(
        "typed over: the text that was selected",
        [oneTwo](TextControl &box) {
            oneTwo(box, 7, 4);
            QTest::keyClicks(&box, QStringLiteral("2"));
        },
        "one 2",
        "two");
    row(
        "a click elsewhere keeps the last selection",
        [oneTwo](TextControl &box) {
            oneTwo(box, 0, 3);
            QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, box.cursorRect(5).center());
        },
        "one two",
        "one");
    row(
        "a selection after an edit follows the keys",
        [oneTwo](TextControl &box) {
            oneTwo(box, 0, 3);
            QTest::keyClicks(&box, QStringLiteral("1"));
            QTest::keyClick(&box, Qt::Key_Right, Qt::ShiftModifier);
            QTest::keyClick(&box, Qt::Key_Right, Qt::ShiftModifier);
        },
        "1 two",
        " t");
    row(
        "new text withdraws the offer",
        [oneTwo](TextControl &box) {
            oneTwo(box, 0, 3);
            box.setText(QStringLiteral("new"));
        },
        "new",
        "");
}

void TestTextView::primarySelectionIsReadWhenAsked()
{
    QFETCH(ControlSteps, steps);
    QFETCH(QString, text);
    QFETCH(QString, primary);
    if (!hasSelectionClipboard())
        QSKIP("this platform has no primary selection");
    steps(*m_box);
    QCOMPARE(m_box->text(), text);
    QCOMPARE(QGuiApplication::clipboard()->text(QClipboard::Selection), primary);
}

void TestTextView::middleClickPastesAgain()
{
    if (!hasSelectionClipboard())
        QSKIP("this platform has no primary selection");
    m_box->setText(QStringLiteral("one two"));
    m_box->select(0, 3);
    const QPoint pastLineEnd(390, m_box->cursorRect(0).center().y());
    QTest::mouseClick(m_box->viewport(), Qt::MiddleButton, {}, pastLineEnd);
    QTest::mouseClick(m_box->viewport(), Qt::MiddleButton, {}, pastLineEnd);
    QCOMPARE(m_box->text(), QStringLiteral("one twooneone"));
    QCOMPARE(m_box->selLength(), 0);
}

void TestTextView::emptyEditsAndNewTextLeaveNothingToUndo()
{
    QTest::keyClicks(m_box, QStringLiteral("abc"));
    m_box->setSelText(QString());
    m_box->undoLastEdit();
    QCOMPARE(m_box->text(), QString());

    // What was typed before the text was emptied and replaced by nothing cannot come back.
    QTest::keyClicks(m_box, QStringLiteral("secret"));
    m_box->setSelStart(0);
    m_box->setSelLength(6);
    QTest::keyClick(m_box, Qt::Key_Delete);
    QSignalSpy changed(m_box, &TextControl::changed);
    m_box->setText(QString());
    QCOMPARE(changed.size(), 0);
    m_box->undoLastEdit();
    QCOMPARE(m_box->text(), QString());
}

void TestTextView::pastingWhileComposingStartsTheCompositionAgain()
{
    m_box->setText(QStringLiteral("ab"));
    m_box->setSelStart(2);
    QInputMethodEvent compose(QStringLiteral("xyz"), {});
    QApplication::sendEvent(m_box, &compose);
    QGuiApplication::clipboard()->setText(QStringLiteral("c"));
    m_box->paste();
    QCOMPARE(m_box->text(), QStringLiteral("abc"));
    // Nothing composed is left drawn between the text and the caret.
    QCOMPARE(m_box->cursorRect(3).left(), m_box->cursorRect(0).left() + qRound(3 * m_advance));
}

// A random edit at a random place, which the view has shown first: what it has laid out so far
// is what an edit could leave stale.
void TestTextView::editSomewhere(QRandomGenerator &random)
{
    static const QStringList words = { QStringLiteral("a"),
        QStringLiteral("wide"),
        QStringLiteral("\n"),
        QStringLiteral("wrapping words "),
        QStringLiteral("\n\n"),
        QStringLiteral("xyz"),
        QStringLiteral("\u05E9\u05DC\u05D5\u05DD") };
    const int length = m_box->textLength();
    const int at = random.bounded(length + 1);
    m_box->showPosition(at);
    m_box->viewport()->repaint();
    switch (random.bounded(4)) {
    case 0:
        m_box->select(at, at);
        m_box->setSelText(words.at(random.bounded(words.size())));
        break;
    case 1:
        m_box->select(at, std::min(length, at + random.bounded(60)));
        m_box->setSelText(random.bounded(2) ? QString() : words.at(random.bounded(words.size())));
        break;
    case 2:
        m_box->select(at, at);
        QTest::keyClick(m_box, random.bounded(2) ? Qt::Key_Backspace : Qt::Key_Delete);
        break;
    default:
        m_box->undoLastEdit();
        break;
    }
}

namespace {

// The ends and the middle of the line, and every 97th position of it near the caret.
QList<qsizetype> positionsToCompare(const TextStorage &text, qsizetype line, qsizetype caret)
{
    const qsizetype start = text.lineStart(line);
    const qsizetype end = text.lineEnd(line);
    QList<qsizetype> positions = { start, (start + end) / 2, end };
    for (qsizetype near = std::max<qsizetype>(start, caret - 1500);
         near <= std::min<qsizetype>(end, caret + 1500);
         near += 97)
        positions.append(near);
    return positions;
}

} // namespace

// Where positions on the lines around the caret are shown, measured from the caret, against
// where fresh shows them, counting the positions compared.
void TestTextView::compareNearTheCaret(TextControl &fresh, int caret, int &compared)
{
    const auto inView = [this](const QRect &rect) {
        return rect.top() >= 0 && rect.bottom() < m_box->viewport()->height();
    };
    const TextStorage &text = m_box->storage();
    const qsizetype caretLine = text.lineOf(caret);
    const QPoint origin = m_box->cursorRect(caret).topLeft();
    const QPoint freshOrigin = fresh.cursorRect(caret).topLeft();
    for (qsizetype line = std::max<qsizetype>(0, caretLine - 8);
         line <= std::min(text.lineCount() - 1, caretLine + 8);
         ++line) {
        for (const qsizetype position : positionsToCompare(text, line, caret)) {
            const QRect shown = m_box->cursorRect(int(position));
            const QRect expected = fresh.cursorRect(int(position));
            // Rows outside the view have no place to compare; each control scrolled only
            // as far as its caret needed.
            if (!inView(shown) || !inView(expected))
                continue;
            QCOMPARE(shown.topLeft() - origin, expected.topLeft() - freshOrigin);
            ++compared;
        }
    }
}

// Lines that an edit did not touch keep their layouts, renumbered when lines came or went. The
// caret's neighbourhood must then look exactly as in a control given the same text afresh.
void TestTextView::editsKeepEveryLineInItsPlace()
{
    QRandomGenerator random(2611);
    QStringList lines;
    for (int line = 0; line < 80; ++line)
        lines << QStringLiteral("line %1 ").arg(line).repeated(1 + line % 9);
    // A line too long to lay out whole, shown in rows of its own.
    lines[40] = QStringLiteral("long ").repeated(4100);
    // In a proportional font a layout left from other text puts the caret elsewhere.
    m_box->setControlFont(ControlFont { QStringLiteral("DejaVu Sans"), 10, false });
    m_box->setText(lines.join(QLatin1Char('\n')));
    TextControl fresh(m_window.get());
    fresh.setGeometry(m_box->geometry());
    fresh.setControlFont(m_box->controlFont());
    fresh.show();
    int compared = 0;
    for (int step = 0; step < 300; ++step) {
        if (step == 150) {
            m_box->setWordWrap(true);
            fresh.setWordWrap(true);
        }
        editSomewhere(random);
        const int caret = m_box->caretPosition();
        m_box->showPosition(caret);
        fresh.setText(m_box->text());
        fresh.showPosition(caret);
        compareNearTheCaret(fresh, caret, compared);
        if (QTest::currentTestFailed())
            return;
    }
    QVERIFY(compared > 3000);
}

void TestTextView::dragAfterADoubleClickGoesByWords()
{
    m_box->setText(QStringLiteral("alpha beta gamma delta\nepsilon zeta"));
    QWidget *view = m_box->viewport();
    const auto at = [this](int position) {
        return m_box->cursorRect(position).center();
    };
    const auto dragTo = [view](QPoint point) {
        QMouseEvent move(QEvent::MouseMove,
            point,
            view->mapToGlobal(point),
            Qt::NoButton,
            Qt::LeftButton,
            Qt::NoModifier);
        QApplication::sendEvent(view, &move);
    };
    QTest::mousePress(view, Qt::LeftButton, {}, at(12));
    QTest::mouseRelease(view, Qt::LeftButton, {}, at(12));
    QTest::mouseDClick(view, Qt::LeftButton, {}, at(12));
    QCOMPARE(m_box->selectedText(), QStringLiteral("gamma"));
    // Within the word, then into the next one: near its start, then near its end.
    dragTo(at(14));
    QCOMPARE(m_box->selectedText(), QStringLiteral("gamma"));
    dragTo(at(18));
    QCOMPARE(m_box->selectedText(), QStringLiteral("gamma "));
    dragTo(at(21));
    QCOMPARE(m_box->selectedText(), QStringLiteral("gamma delta"));
    // Backwards the clicked word stays selected and the start snaps to a boundary.
    dragTo(at(1));
    QCOMPARE(m_box->selectedText(), QStringLiteral("alpha beta gamma"));
    QCOMPARE(m_box->caretPosition(), 0);
    // Down into the next line.
    dragTo(at(29));
    QCOMPARE(m_box->selectedText(), QStringLiteral("gamma delta\nepsilon"));
    QTest::mouseRelease(view, Qt::LeftButton, {}, at(29));
    // A plain drag afterwards goes by characters again.
    QTest::mousePress(view, Qt::LeftButton, {}, at(1));
    dragTo(at(3));
    QCOMPARE(m_box->selectedText(), QStringLiteral("lp"));
    QTest::mouseRelease(view, Qt::LeftButton, {}, at(3));
}

void TestTextView::longLinesAreShownInRowsOfTheirOwn()
{
    // A surrogate pair where the first two rows meet stays whole in the first.
    const QString pair = QString::fromUcs4(U"\U0001F600");
    const QString longLine
        = QString(499, QLatin1Char('x')) + pair + QString(24500, QLatin1Char('y'));
    m_box->setText(longLine + QStringLiteral("\nshort"));
    const int shortLine = int(longLine.size()) + 1;
    // Rows of 500 characters when not wrapped.
    const int top = m_box->cursorRect(0).top();
    const int rowHeight = m_box->cursorRect(501).top() - top;
    QVERIFY(rowHeight >= QFontMetrics(m_box->font()).height() - 1);
    QCOMPARE(m_box->cursorRect(499).top(), top);
    QCOMPARE(m_box->cursorRect(500).top(), top);
    QCOMPARE(m_box->cursorRect(501).left(), m_box->cursorRect(0).left());
    QCOMPARE(m_box->cursorRect(1001).top(), top + 2 * rowHeight);

    // Keys go by those rows; the end of a row is before its last character, since the
    // position after it is the start of the next row.
    QCOMPARE(pressAt(5, Qt::Key_End), 499);
    QCOMPARE(pressAt(499, Qt::Key_Right), 501);
    QCOMPARE(pressAt(501, Qt::Key_Left), 499);
    QCOMPARE(pressAt(700, Qt::Key_Home), 501);
    QCOMPARE(pressAt(506, Qt::Key_Down), 1005);
    QCOMPARE(pressAt(1005, Qt::Key_Up), 506);
    QCOMPARE(pressAt(700, Qt::Key_End, Qt::ControlModifier), shortLine + 5);
    QCOMPARE(m_box->cursorRect(shortLine).top(), m_box->cursorRect(25000).top() + rowHeight);
    QVERIFY(m_box->cursorRect(shortLine).bottom() < m_box->viewport()->height());

    // Typing near the start moves every later character into its new row: the pair is no
    // longer where the rows meet.
    m_box->select(10, 10);
    QTest::keyClicks(m_box, QStringLiteral("ab"));
    QCOMPARE(m_box->text().mid(10, 3), QStringLiteral("abx"));
    m_box->showPosition(0);
    const int typedTop = m_box->cursorRect(0).top();
    QCOMPARE(m_box->cursorRect(499).top(), typedTop);
    QCOMPARE(m_box->cursorRect(500).top(), typedTop + rowHeight);

    // Input methods see the text near the caret only, with the caret where it is in it.
    m_box->select(12000, 12000);
    const QString surrounding = m_box->inputMethodQuery(Qt::ImSurroundingText).toString();
    const int inSurrounding = m_box->inputMethodQuery(Qt::ImCursorPosition).toInt();
    QVERIFY(surrounding.size() <= 2001);
    QCOMPARE(surrounding.mid(inSurrounding - 3, 6), m_box->text().mid(12000 - 3, 6));

    checkWrappedRows(typedTop, rowHeight);
}

// Wrapped, the rows of a long line hold as many characters as fit the width, and every one
// is reachable; top is where the line's first row is shown once scrolled to it.
void TestTextView::checkWrappedRows(int top, int rowHeight)
{
    m_box->setWordWrap(true);
    QTest::keyClick(m_box, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(m_box->caretPosition(), m_box->textLength());
    QVERIFY(m_box->cursorRect(m_box->textLength()).bottom() < m_box->viewport()->height());
    m_box->showPosition(0);
    const int width = m_box->viewport()->width();
    int rows = 0;
    for (int position = 0; position < 600; ++position) {
        const QRect caret = m_box->cursorRect(position);
        QVERIFY(caret.left() < width);
        rows = std::max(rows, (caret.top() - top) / rowHeight + 1);
    }
    QVERIFY(rows >= 600 / (width / int(m_advance)));
}

int TestTextView::pressAt(int position, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    m_box->select(position, position);
    QTest::keyClick(m_box, key, modifiers);
    return m_box->caretPosition();
}

void TestTextView::rowsOfLongLinesKeepCharactersWhole()
{
    // A letter and its accent where the first two rows meet go to the first.
    m_box->setText(QString(499, QLatin1Char('x')) + QStringLiteral("e\u0301")
        + QString(24500, QLatin1Char('y')));
    const int rowHeight = m_box->cursorRect(501).top() - m_box->cursorRect(0).top();
    QVERIFY(rowHeight > 0);
    QCOMPARE(pressAt(499, Qt::Key_Right), 501);
    QCOMPARE(pressAt(501, Qt::Key_Left), 499);
    QCOMPARE(pressAt(5, Qt::Key_End), 499);
    // A word runs on over the rows.
    QVERIFY(pressAt(1010, Qt::Key_Right, Qt::ControlModifier) > 1501);
    QVERIFY(pressAt(2010, Qt::Key_Left, Qt::ControlModifier) < 1501);

    // A pair that reaches over the last row's start leaves no empty row behind it.
    const QString pairEnd = QString(20499, QLatin1Char('x')) + QString::fromUcs4(U"\U0001F600");
    m_box->setText(pairEnd);
    QCOMPARE(pressAt(20010, Qt::Key_End), int(pairEnd.size()));
    QCOMPARE(m_box->cursorRect(int(pairEnd.size())).top(), m_box->cursorRect(20499).top());

    // What is looked at near a position never starts or ends inside a pair.
    QString pairs = QStringLiteral("a");
    for (int i = 0; i < 3000; ++i)
        pairs += QString::fromUcs4(U"\U0001F600") + QLatin1Char('a');
    m_box->setText(pairs);
    m_box->showPosition(4500);
    QTest::mouseDClick(m_box->viewport(), Qt::LeftButton, {}, m_box->cursorRect(4500).center());
    QVERIFY(m_box->selLength() > 0);
    QVERIFY(!pairs.at(m_box->selStart()).isLowSurrogate());
    QVERIFY(!pairs.at(m_box->selStart() + m_box->selLength() - 1).isHighSurrogate());
    m_box->select(4500, 4500);
    const QString surrounding = m_box->inputMethodQuery(Qt::ImSurroundingText).toString();
    QVERIFY(!surrounding.front().isLowSurrogate() && !surrounding.back().isHighSurrogate());
    QCOMPARE(surrounding.mid(m_box->inputMethodQuery(Qt::ImCursorPosition).toInt(), 4),
        pairs.mid(4500, 4));
}

void TestTextView::longLinesScrollByRows()
{
    // The bar counts lines; the wheel still goes through the rows of a one-line document.
    m_box->setText(QString(100000, QLatin1Char('x')));
    const int top = m_box->cursorRect(0).top();
    QVERIFY(m_box->cursorRect(500).top() > top);
    QWheelEvent wheel(QPointF(50, 50),
        m_box->viewport()->mapToGlobal(QPointF(50, 50)),
        QPoint(),
        QPoint(0, -QWheelEvent::DefaultDeltasPerStep),
        Qt::NoButton,
        Qt::NoModifier,
        Qt::NoScrollPhase,
        false);
    QApplication::sendEvent(m_box->viewport(), &wheel);
    QCOMPARE(m_box->cursorRect(QApplication::wheelScrollLines() * 500).top(), top);

    // Wrapped, rows are cut by the average width; wide letters may reach past the view, and
    // the horizontal bar then reaches them.
    m_box->setControlFont(ControlFont { QStringLiteral("DejaVu Sans"), 10, false });
    m_box->setWordWrap(true);
    m_box->setText(QString(30000, QLatin1Char('W')));
    m_box->viewport()->repaint();
    QCoreApplication::processEvents();
    int right = 0;
    for (int position = 0; position < 300; ++position)
        right = std::max(right, m_box->cursorRect(position).left());
    QVERIFY(right > m_box->viewport()->width());
    QVERIFY(m_box->horizontalScrollBar()->maximum() >= right - m_box->viewport()->width());
}

OMRIK_TEST_MAIN(TestTextView)
#include "tst_textview.moc"
