#include "engine/textcontrol.h"
#include "tests/support/testenvironment.h"

#include <QSignalSpy>
#include <QtTest>

class TestTextControl : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void changeNotification();
    void selTextTakesEveryLineBreakKind();
    void keepsEveryCharacter();
    void fontSizeAndColourReadBackAsSet();
    void clickInTheMarginSelectsTheLine();
    void dragAcrossWordsSelectsWholeWords();
    void menuKeysAreLeftToTheMenu();
};

void TestTextControl::changeNotification()
{
    TextControl box;
    QSignalSpy changed(&box, &TextControl::changed);
    box.setText(QString());
    QCOMPARE(changed.size(), 0);
    box.setText(QStringLiteral("x"));
    QCOMPARE(changed.size(), 1);
    box.setText(QString());
    QCOMPARE(changed.size(), 2);
    box.setWordWrap(true);
    box.setControlFont(ControlFont { QStringLiteral("DejaVu Sans"), 12, true });
    QCOMPARE(changed.size(), 2);
}

void TestTextControl::selTextTakesEveryLineBreakKind()
{
    TextControl box;
    box.setSelText(QStringLiteral("a\r"));
    box.setSelText(QStringLiteral("b\r"));
    QCOMPARE(box.text(), QStringLiteral("a\nb\n"));
    QCOMPARE(box.selStart(), 4);
    box.setSelText(QStringLiteral("c\r\nd\n"));
    QCOMPARE(box.text(), QStringLiteral("a\nb\nc\nd\n"));
    QCOMPARE(box.textLength(), 8);
}

void TestTextControl::keepsEveryCharacter()
{
    TextControl box;
    const QString text = QString::fromUtf8("no\u00A0break\ttab \u200Fmark e\u0301\n");
    box.setText(text);
    QCOMPARE(box.text(), text);
}

void TestTextControl::fontSizeAndColourReadBackAsSet()
{
    TextControl box;
    QCOMPARE(box.controlFont().size, 8.25);
    QCOMPARE(box.foreColor(), 0x80000008u);
    ControlFont font;
    font.name = QStringLiteral("DejaVu Sans Mono");
    font.size = 10.5;
    font.strikethrough = true;
    box.setControlFont(font);
    box.setForeColor(0x000000FF);
    QCOMPARE(box.controlFont(), font);
    QCOMPARE(box.font().pointSizeF(), 10.5);
    QVERIFY(box.font().strikeOut());
    QCOMPARE(box.foreColor(), 0x000000FFu);
    QCOMPARE(box.palette().color(QPalette::Text), QColor(255, 0, 0));
}

void TestTextControl::clickInTheMarginSelectsTheLine()
{
    TextControl box;
    box.resize(300, 200);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.setText(QStringLiteral("first line\nsecond line\nthird\n"));
    const QRect second = box.cursorRect(11);
    QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, QPoint(2, second.center().y()));
    QCOMPARE(box.selectedText(), QStringLiteral("second line\n"));

    QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, QPoint(40, second.center().y()));
    QCOMPARE(box.selLength(), 0);
}

void TestTextControl::dragAcrossWordsSelectsWholeWords()
{
    TextControl box;
    box.resize(400, 200);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.setText(QStringLiteral("alpha beta gamma\n"));
    auto xOf = [&box](int position) {
        return box.cursorRect(position).center();
    };
    QTest::mousePress(box.viewport(), Qt::LeftButton, {}, xOf(2));
    QMouseEvent inWord(QEvent::MouseMove,
        xOf(4),
        box.viewport()->mapToGlobal(xOf(4)),
        Qt::NoButton,
        Qt::LeftButton,
        Qt::NoModifier);
    QApplication::sendEvent(box.viewport(), &inWord);
    QCOMPARE(box.selectedText(), QStringLiteral("ph"));
    QMouseEvent acrossWords(QEvent::MouseMove,
        xOf(8),
        box.viewport()->mapToGlobal(xOf(8)),
        Qt::NoButton,
        Qt::LeftButton,
        Qt::NoModifier);
    QApplication::sendEvent(box.viewport(), &acrossWords);
    QTest::mouseRelease(box.viewport(), Qt::LeftButton, {}, xOf(8));
    QCOMPARE(box.selectedText(), QStringLiteral("alpha beta"));
}

void TestTextControl::menuKeysAreLeftToTheMenu()
{
    TextControl box;
    box.setText(QStringLiteral("abc"));
    box.setSelStart(3);
    QTest::keyClicks(&box, QStringLiteral("d"));
    QTest::keySequence(&box, QKeySequence::Undo);
    QTest::keySequence(&box, QKeySequence::Redo);
    QTest::keySequence(&box, QKeySequence::SelectAll);
    QCOMPARE(box.text(), QStringLiteral("abcd"));
    QCOMPARE(box.selLength(), 0);
}

OMRIK_TEST_MAIN(TestTextControl)
#include "tst_textcontrol.moc"
