#include "platform/fontcolordialog.h"
#include "platform/olecolor.h"
#include "tests/support/testenvironment.h"

#include <QComboBox>
#include <QFontDialog>
#include <QtTest>

using FontChoice = CommonDialog::FontChoice;

// The dialog is filled and read back without ever being shown.
class TestFontColorDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void choiceComesBackUnchanged_data();
    void choiceComesBackUnchanged();
    void systemColourShowsItsRealColour();
    void changedSizeIsTaken();
};

void TestFontColorDialog::choiceComesBackUnchanged_data()
{
    QTest::addColumn<float>("size");
    QTest::addColumn<quint32>("color");
    QTest::newRow("8.25, window text") << 8.25f << SystemWindowText;
    QTest::newRow("10.5, navy") << 10.5f << 0x800000u;
    QTest::newRow("11, a colour off the list") << 11.0f << 0x123456u;
}

void TestFontColorDialog::choiceComesBackUnchanged()
{
    QFETCH(float, size);
    QFETCH(quint32, color);
    const FontChoice primed { QStringLiteral("DejaVu Serif"), size, true, true, true, true, color };
    FontColorDialog dialog;
    dialog.setChoice(primed);
    const FontChoice back = dialog.choice();
    QCOMPARE(back.name, primed.name);
    QCOMPARE(back.size, size);
    QVERIFY(back.bold && back.italic && back.strikethru && back.underline);
    QCOMPARE(back.color, color);
}

void TestFontColorDialog::systemColourShowsItsRealColour()
{
    FontColorDialog dialog;
    dialog.setChoice(
        { QStringLiteral("DejaVu Sans"), 9, false, false, false, false, SystemWindowText });
    auto *colours = dialog.findChild<QComboBox *>();
    QCOMPARE(colours->currentData().toUInt(), SystemWindowText);
    QCOMPARE(colours->currentText(), QStringLiteral("Window text"));
    const QImage swatch = colours->itemIcon(colours->currentIndex()).pixmap(24, 14).toImage();
    QCOMPARE(QColor(swatch.pixel(12, 7)), QGuiApplication::palette().color(QPalette::Text));
    QCOMPARE(colours->findData(0x000080u) >= 0, true);
}

void TestFontColorDialog::changedSizeIsTaken()
{
    FontColorDialog dialog;
    dialog.setChoice({ QStringLiteral("DejaVu Sans"), 8.25f, false, false, false, false, 0 });
    QFont larger = dialog.findChild<QFontDialog *>()->currentFont();
    larger.setPointSize(14);
    dialog.findChild<QFontDialog *>()->setCurrentFont(larger);
    QCOMPARE(dialog.choice().size, 14.0f);
}

OMRIK_TEST_MAIN(TestFontColorDialog)
#include "tst_fontcolordialog.moc"
