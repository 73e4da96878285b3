#include "platform/fontcolordialog.h"
#include "platform/olecolor.h"
#include "tests/support/testenvironment.h"

#include <QComboBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QListView>
#include <QtTest>

using FontChoice = CommonDialog::FontChoice;

// The dialog is filled and read back; it is shown only where the user's clicks are played.
class TestFontColorDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void choiceComesBackUnchanged_data();
    void choiceComesBackUnchanged();
    void systemColourShowsItsRealColour();
    void changedSizeIsTaken();
    void pickedSizeIsTaken_data();
    void pickedSizeIsTaken();
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

void TestFontColorDialog::pickedSizeIsTaken_data()
{
    QTest::addColumn<float>("size");
    QTest::addColumn<QString>("pick");
    QTest::addColumn<float>("applied");
    QTest::newRow("8.25, size left alone") << 8.25f << "" << 8.25f;
    QTest::newRow("8.25, underline ticked") << 8.25f << "underline" << 8.25f;
    QTest::newRow("8.25, 8 clicked") << 8.25f << "click 8" << 8.0f;
    QTest::newRow("8.25, 8 typed") << 8.25f << "type 8" << 8.0f;
    QTest::newRow("8.25, down and back up") << 8.25f << "down up" << 8.0f;
    QTest::newRow("10.5, 11 clicked") << 10.5f << "click 11" << 11.0f;
}

void TestFontColorDialog::pickedSizeIsTaken()
{
    QFETCH(float, size);
    QFETCH(QString, pick);
    QFETCH(float, applied);
    FontColorDialog dialog;
    dialog.setChoice({ QStringLiteral("DejaVu Sans"), size, false, false, false, false, 0 });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QListView *sizes = nullptr;
    for (QListView *list : dialog.findChildren<QListView *>()) {
        if (!list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, "9").isEmpty())
            sizes = list;
    }
    QVERIFY(sizes);
    const QStringList words = pick.split(QLatin1Char(' '));
    if (words.first() == QLatin1String("click")) {
        const QModelIndex item = sizes->model()->match(
            sizes->model()->index(0, 0), Qt::DisplayRole, words.last(), 1, Qt::MatchExactly)[0];
        sizes->scrollTo(item);
        QTest::mouseClick(sizes->viewport(), Qt::LeftButton, {}, sizes->visualRect(item).center());
    } else if (words.first() == QLatin1String("type")) {
        for (QLineEdit *box : dialog.findChildren<QLineEdit *>()) {
            if (box->text() == words.last()) {
                box->selectAll();
                QTest::keyClicks(box, words.last());
            }
        }
    } else if (pick == QLatin1String("down up")) {
        QTest::keyClick(sizes, Qt::Key_Down);
        QTest::keyClick(sizes, Qt::Key_Up);
    } else if (pick == QLatin1String("underline")) {
        auto *page = dialog.findChild<QFontDialog *>();
        QFont underlined = page->currentFont();
        underlined.setUnderline(true);
        page->setCurrentFont(underlined);
    }
    QCOMPARE(dialog.choice().size, applied);
}

OMRIK_TEST_MAIN(TestFontColorDialog)
#include "tst_fontcolordialog.moc"
