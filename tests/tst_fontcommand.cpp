#include "dialogs/fontcommand.h"
#include "engine/textcontrol.h"
#include "platform/olecolor.h"
#include "tests/support/fakewindow.h"
#include "tests/support/testenvironment.h"

#include <QtTest>

using FontChoice = CommonDialog::FontChoice;

class TestFontCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void dialogStartsFromTheEditor();
    void okCopiesTheChoiceBack_data();
    void okCopiesTheChoiceBack();
    void cancelChangesNothing();
    void sizesSurviveSinglePrecision_data();
    void sizesSurviveSinglePrecision();

private:
    void runFontMenu() { w->form->menuAction(QStringLiteral("mnuOpties"))->trigger(); }

    std::unique_ptr<FakeWindow> w;
    const ControlFont m_startFont { QStringLiteral("DejaVu Sans"), 10.5, true, false, true, false };
};

void TestFontCommand::init()
{
    w = std::make_unique<FakeWindow>();
    w->form->textBox()->setControlFont(m_startFont);
}

void TestFontCommand::cleanup()
{
    w->verifyScriptsUsed();
    QVERIFY(w->prompter->messages.isEmpty());
    w.reset();
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void TestFontCommand::dialogStartsFromTheEditor()
{
    w->dialog->answerFont([](FontChoice &) {});
    runFontMenu();
    QCOMPARE(w->dialog->shown.size(), 1);
    const ScriptedDialog::Shown &shown = w->dialog->shown.constFirst();
    QCOMPARE(shown.kind, QStringLiteral("font"));
    QCOMPARE(shown.flags, 257);
    QVERIFY(shown.cancelError);
    const FontChoice &primed = w->dialog->fontsPrimed.constFirst();
    QCOMPARE(primed.name, QStringLiteral("DejaVu Sans"));
    QCOMPARE(primed.size, 10.5f);
    QVERIFY(primed.bold && !primed.italic && primed.underline && !primed.strikethru);
    // The editor's colour is still the desktop's window-text reference, not frozen to RGB.
    QCOMPARE(primed.color, SystemWindowText);
    // OK without a change leaves everything as it was, the colour reference included.
    QCOMPARE(w->form->textBox()->controlFont(), m_startFont);
    QCOMPARE(w->form->textBox()->foreColor(), SystemWindowText);
}

void TestFontCommand::okCopiesTheChoiceBack_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<float>("size");
    QTest::addColumn<int>("styles"); // bits: 1 bold, 2 italic, 4 strikeout, 8 underline
    QTest::addColumn<quint32>("color");
    QTest::newRow("8.25 points, plain, maroon") << "DejaVu Serif" << 8.25f << 0 << 0x000080u;
    QTest::newRow("10.5 points, every style, blue")
        << "DejaVu Sans Mono" << 10.5f << 15 << 0xFF0000u;
    QTest::newRow("12 points, italic and strikeout, black")
        << "DejaVu Sans" << 12.0f << 6 << 0x000000u;
}

void TestFontCommand::okCopiesTheChoiceBack()
{
    QFETCH(QString, name);
    QFETCH(float, size);
    QFETCH(int, styles);
    QFETCH(quint32, color);
    w->type(QStringLiteral("some text"));
    w->form->textBox()->setSelStart(2);
    w->form->textBox()->setSelLength(3);
    w->dialog->answerFont([&](FontChoice &choice) {
        choice = { name,
            size,
            bool(styles & 1),
            bool(styles & 2),
            bool(styles & 4),
            bool(styles & 8),
            color };
    });
    runFontMenu();
    const ControlFont expected {
        name, double(size), bool(styles & 1), bool(styles & 2), bool(styles & 8), bool(styles & 4)
    };
    QCOMPARE(w->form->textBox()->controlFont(), expected);
    QCOMPARE(w->form->textBox()->foreColor(), color);
    // One font for the whole text, whatever was selected.
    const QFont shown = w->form->textBox()->font();
    QCOMPARE(shown.pointSizeF(), double(size));
    QCOMPARE(shown.strikeOut(), bool(styles & 4));
    QCOMPARE(w->form->textBox()->palette().color(QPalette::Text), colorFromOle(color));
}

void TestFontCommand::cancelChangesNothing()
{
    w->form->textBox()->setForeColor(0x00336699);
    w->dialog->cancelFont();
    runFontMenu();
    QCOMPARE(w->form->textBox()->controlFont(), m_startFont);
    QCOMPARE(w->form->textBox()->foreColor(), 0x00336699u);
    QCOMPARE(w->dialog->shown.size(), 1);
}

void TestFontCommand::sizesSurviveSinglePrecision_data()
{
    QTest::addColumn<double>("editorSize");
    QTest::addColumn<double>("returned");
    QTest::newRow("8.25") << 8.25 << 8.25;
    QTest::newRow("10.5") << 10.5 << 10.5;
    QTest::newRow("8.3 is not 8.30000019") << 8.3 << 8.3;
    QTest::newRow("four decimals, 9.1234") << 9.1234 << 9.1234;
    QTest::newRow("72") << 72.0 << 72.0;
}

// The size goes to the dialog in single precision and comes back unchanged when the user
// leaves it alone.
void TestFontCommand::sizesSurviveSinglePrecision()
{
    QFETCH(double, editorSize);
    QFETCH(double, returned);
    ControlFont font = m_startFont;
    font.size = editorSize;
    w->form->textBox()->setControlFont(font);
    w->dialog->answerFont([](FontChoice &) {});
    runFontMenu();
    QCOMPARE(w->dialog->fontsPrimed.constFirst().size, float(editorSize));
    QCOMPARE(w->form->textBox()->controlFont().size, returned);
    QCOMPARE(FontCommand::pointsFromSingle(float(editorSize)), returned);
}

OMRIK_TEST_MAIN(TestFontCommand)
#include "tst_fontcommand.moc"
