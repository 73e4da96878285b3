#include "platform/prompter.h"
#include "tests/support/testenvironment.h"

#include <QAccessible>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <functional>

// The real boxes open, are read back while they wait and are answered by the test.
class TestPrompter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void messageBoxShowsTextAsWritten_data();
    void messageBoxShowsTextAsWritten();
    void inputBoxShowsPromptAsWritten();

private:
    // Runs answer on the first modal window that opens, from inside its event loop.
    void whenModal(const std::function<void(QWidget *)> &answer);
};

void TestPrompter::cleanup()
{
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void TestPrompter::whenModal(const std::function<void(QWidget *)> &answer)
{
    auto *poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [poll, answer] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            answer(modal);
        }
    });
    poll->start(10);
}

void TestPrompter::messageBoxShowsTextAsWritten_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("bold tag") << "<b>x.txt";
    QTest::newRow("image tag") << "<img src=/x>.txt";
    QTest::newRow("entities") << "a&lt;b&gt;.txt";
}

void TestPrompter::messageBoxShowsTextAsWritten()
{
    QFETCH(QString, name);
    const QString line = QStringLiteral("The file ") + name + QStringLiteral(" has changed.");
    const QString question = QStringLiteral("Do you wish to save changes?");
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    whenModal([&](QWidget *modal) {
        if (auto *label = modal->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
            shown = label->text();
            format = label->textFormat();
        }
        modal->close();
    });
    WidgetPrompter prompter;
    QCOMPARE(prompter.messageBox(
                 line + QLatin1Char('\r') + question, MsgBox::YesNoCancel | MsgBox::Exclamation),
        int(MsgBox::Cancel));
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(shown, line + QLatin1Char('\n') + question);
}

void TestPrompter::inputBoxShowsPromptAsWritten()
{
    const QString prompt = QStringLiteral("Find <b>R&D</b> in:\r<i>notes</i>");
    QString spoken;
    Qt::TextFormat format = Qt::AutoText;
    QKeySequence mnemonic;
    whenModal([&](QWidget *modal) {
        auto *label = modal->findChild<QLabel *>();
        auto *entry = modal->findChild<QLineEdit *>();
        if (label && entry) {
            format = label->textFormat();
            mnemonic = QKeySequence::mnemonic(label->text());
            // What a screen reader reads for the entry field: the visible prompt.
            spoken = QAccessible::queryAccessibleInterface(entry)->text(QAccessible::Name);
            entry->setText(QStringLiteral("R&D"));
        }
        static_cast<QDialog *>(modal)->accept();
    });
    WidgetPrompter prompter;
    QCOMPARE(prompter.inputBox(prompt, QString()), QStringLiteral("R&D"));
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(spoken, QStringLiteral("Find <b>R&D</b> in:\n<i>notes</i>"));
    QVERIFY(mnemonic.isEmpty());
}

OMRIK_TEST_MAIN(TestPrompter)
#include "tst_prompter.moc"
