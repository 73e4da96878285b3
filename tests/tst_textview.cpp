#include "platform/textcontrol.h"
#include "tests/support/testenvironment.h"

#include <QtTest>

class TestTextView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder();
};

void TestTextView::placeholder()
{
    QVERIFY(true);
}

OMRIK_TEST_MAIN(TestTextView)
#include "tst_textview.moc"
