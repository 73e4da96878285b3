#include "platform/prompter.h"
#include "tests/support/testenvironment.h"

#include <QAccessible>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
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
    void yesNoBoxWithNoFirstLosesNothingByKeys_data();
    void yesNoBoxWithNoFirstLosesNothingByKeys();

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

void TestPrompter::yesNoBoxWithNoFirstLosesNothingByKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("answer");
    QTest::newRow("Enter") << int(Qt::Key_Return) << int(MsgBox::No);
    QTest::newRow("Escape") << int(Qt::Key_Escape) << int(MsgBox::No);
    QTest::newRow("Y") << int(Qt::Key_Y) << int(MsgBox::Yes);
}

// A question whose Yes would overwrite somebody's work: only a deliberate Yes gives it.
void TestPrompter::yesNoBoxWithNoFirstLosesNothingByKeys()
{
    QFETCH(int, key);
    QFETCH(int, answer);
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::Warning;
    whenModal([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        icon = box->icon();
        for (QAbstractButton *button : box->buttons())
            buttons << button->text().remove(QLatin1Char('&'));
        QTest::keyClick(modal, Qt::Key(key));
    });
    WidgetPrompter prompter;
    QCOMPARE(
        prompter.messageBox(QStringLiteral("Overwrite?"), MsgBox::YesNo | MsgBox::DefaultButton2),
        answer);
    buttons.sort();
    QCOMPARE(buttons, QStringList({ QStringLiteral("No"), QStringLiteral("Yes") }));
    QCOMPARE(icon, QMessageBox::NoIcon);
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
