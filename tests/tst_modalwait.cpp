#include "platform/modalwait.h"
#include "tests/support/testenvironment.h"

#include <QTimer>
#include <QWidget>
#include <QtTest>

class TestModalWait : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void closeAskedForDuringTheWait_data();
    void closeAskedForDuringTheWait();
};

void TestModalWait::closeAskedForDuringTheWait_data()
{
    // Qt::Widget: a part of a window, which closes by hiding.
    QTest::addColumn<int>("windowType");
    QTest::addColumn<bool>("held");
    QTest::newRow("main window waits for the end") << int(Qt::Window) << true;
    QTest::newRow("dialog waits for the end") << int(Qt::Dialog) << true;
    QTest::newRow("menu closes at once") << int(Qt::Popup) << false;
    QTest::newRow("tooltip closes at once") << int(Qt::ToolTip) << false;
    QTest::newRow("part of a window closes at once") << int(Qt::Widget) << false;
}

void TestModalWait::closeAskedForDuringTheWait()
{
    QFETCH(int, windowType);
    QFETCH(bool, held);
    QWidget window;
    QWidget *closing = &window;
    if (windowType == Qt::Widget)
        closing = new QWidget(&window);
    else
        window.setWindowFlags(Qt::WindowType(windowType));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(closing->isVisible());
    bool closedAtOnce = false;
    bool busyShown = false;
    {
        ModalWait wait;
        QTimer::singleShot(0, &window, [&] {
            busyShown = QGuiApplication::overrideCursor()
                && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
            closing->close();
            closedAtOnce = !closing->isVisible();
            wait.stop();
        });
        wait.run();
    }
    QVERIFY(busyShown);
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(closedAtOnce, !held);
    QTRY_VERIFY(!closing->isVisible());
}

OMRIK_TEST_MAIN(TestModalWait)
#include "tst_modalwait.moc"
