#include "tests/support/commandbench.h"
#include "tests/support/slowfilestore.h"
#include "tests/support/testenvironment.h"

#include <QClipboard>
#include <QProcess>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QTimer>
#include <QtTest>

namespace {

const int SavePromptStyle = MsgBox::YesNoCancel | MsgBox::Exclamation;

QString untitledPrompt()
{
    return QStringLiteral("The file (Untitled) has changed.\rDo you wish to save changes?");
}

} // namespace

class TestCommandDispatcher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void newDocument_data();
    void newDocument();
    void openAsksFirstAndCanBeCancelled();
    void openReadsTheChosenFile();
    void failedOpenChangesNothing_data();
    void failedOpenChangesNothing();
    void openEmptyFileGivesEmptyDocument();
    void saveTitledKeepsTheFilesFormat();
    void changedFileIsNotOverwrittenSilently_data();
    void changedFileIsNotOverwrittenSilently();
    void openAndSaveKeepEveryByte_data();
    void openAndSaveKeepEveryByte();
    void slowFileShowsItsProgress_data();
    void slowFileShowsItsProgress();
    void saveUntitledAsksForAName();
    void saveUntitledCancelled();
    void failedSaveIsReportedAndKeepsState();
    void saveAsReportsFailuresButNotCancel();
    void fullDiskLosesNothing();
    void saveAsOnTitledDocumentMovesIt();
    void adoptedDocumentKeepsItsFormat_data();
    void adoptedDocumentKeepsItsFormat();
    void printSendsTextAndFont();
    void printCancelledOrFailing();
    void clipboardCommandsMarkTheDocument();
    void undoIsOneStepThatTogglesBack();
    void find_data();
    void find();
    void unknownIndexDoesNothing();
    void selectAllSelectsEverythingWithoutChange();

private:
    std::unique_ptr<CommandBench> w;
    QString text() const { return w->text.text(); }
    DocumentState &doc() const { return w->document; }
};

void TestCommandDispatcher::init()
{
    QGuiApplication::clipboard()->clear();
    w = std::make_unique<CommandBench>();
}

void TestCommandDispatcher::cleanup()
{
    w->verifyScriptsUsed();
    w.reset();
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void TestCommandDispatcher::newDocument_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saveDialogCancelled");
    QTest::addColumn<bool>("emptied");

    QTest::newRow("unchanged: no prompt") << false << 0 << false << true;
    QTest::newRow("modified, No: dropped") << true << int(MsgBox::No) << false << true;
    QTest::newRow("modified, Cancel: kept") << true << int(MsgBox::Cancel) << false << false;
    QTest::newRow("modified, Yes, saved") << true << int(MsgBox::Yes) << false << true;
    QTest::newRow("modified, Yes, save dialog cancelled: kept")
        << true << int(MsgBox::Yes) << true << false;
}

void TestCommandDispatcher::newDocument()
{
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(bool, saveDialogCancelled);
    QFETCH(bool, emptied);

    w->setUnchangedText(QStringLiteral("some text\n"));
    if (modified)
        w->type(QStringLiteral("more "));
    const QString before = text();
    if (answer)
        w->prompter.answerMessage(answer);
    if (answer == MsgBox::Yes) {
        if (saveDialogCancelled)
            w->dialog.cancel();
        else
            w->dialog.choose(w->path(QStringLiteral("saved.txt")));
    }

    const bool completed = w->commands.ButtonClick(CommandDispatcher::New);

    QCOMPARE(completed, emptied);
    if (answer) {
        QCOMPARE(w->prompter.messages.first().text, untitledPrompt());
        QCOMPARE(w->prompter.messages.first().style, SavePromptStyle);
    }
    QCOMPARE(text(), emptied ? QString() : before);
    QCOMPARE(doc().TextChanged(), !emptied);
    QCOMPARE(doc().CurrentFile(), QString());
    QCOMPARE(doc().title(), QStringLiteral("OmrikNote (Untitled)"));
    if (answer == MsgBox::Yes && !saveDialogCancelled)
        QCOMPARE(w->readFile(QStringLiteral("saved.txt")), QByteArray("more some text\r\n"));
}

void TestCommandDispatcher::openAsksFirstAndCanBeCancelled()
{
    w->type(QStringLiteral("draft"));
    w->prompter.answerMessage(MsgBox::Cancel);
    QVERIFY(!w->commands.ButtonClick(CommandDispatcher::Open));
    QVERIFY(w->dialog.shown.isEmpty());

    w->prompter.answerMessage(MsgBox::No);
    w->dialog.cancel();
    QVERIFY(!w->commands.ButtonClick(CommandDispatcher::Open));
    QCOMPARE(w->prompter.messages.size(), 2);
    QCOMPARE(text(), QStringLiteral("draft"));
    QVERIFY(doc().TextChanged());
}

void TestCommandDispatcher::openReadsTheChosenFile()
{
    const QString file = w->writeFile(QStringLiteral("letter.txt"), "one\r\ntwo\r\n");
    w->dialog.choose(file);
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Open));

    const ScriptedDialog::Shown shown = w->dialog.shown.constFirst();
    QCOMPARE(shown.kind, QStringLiteral("open"));
    QCOMPARE(shown.flags, 6);
    QCOMPARE(shown.filter, QStringLiteral("All files (*.*)|*.*"));
    QCOMPARE(shown.fileName, QString());
    QVERIFY(shown.cancelError);
    QCOMPARE(text(), QStringLiteral("one\ntwo\n"));
    QCOMPARE(doc().CurrentFile(), file);
    QCOMPARE(doc().title(), QStringLiteral("OmrikNote (") + file + QLatin1Char(')'));
    QCOMPARE(w->text.selStart(), 0);
    QVERIFY(!doc().TextChanged());
}

void TestCommandDispatcher::failedOpenChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file") << "missing.txt"
                                  << "53 - File not found";
    QTest::newRow("folder") << "."
                            << "75 - Path/File access error";
    QTest::newRow("missing folder") << "gone/x.txt"
                                    << "76 - Path not found";
}

void TestCommandDispatcher::failedOpenChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    const QString first = w->writeFile(QStringLiteral("first.txt"), "first\r\n");
    w->writeFile(QStringLiteral("separator.txt"), "a\xE2\x80\xA9z\r\n");
    w->dialog.choose(first);
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Open));
    w->type(QStringLiteral("edited "));

    w->prompter.answerMessage(MsgBox::No);
    w->dialog.choose(w->path(name));
    w->prompter.answerMessage(MsgBox::Ok);
    QVERIFY(!w->commands.ButtonClick(CommandDispatcher::Open));

    QCOMPARE(w->prompter.messages.last().text, message);
    QCOMPARE(w->prompter.messages.last().style, int(MsgBox::OkOnly));
    QCOMPARE(text(), QStringLiteral("edited first\n"));
    QCOMPARE(doc().CurrentFile(), first);
    QVERIFY(doc().TextChanged());
    QCOMPARE(doc().title(), QStringLiteral("OmrikNote (") + first + QLatin1Char(')'));
}

void TestCommandDispatcher::openEmptyFileGivesEmptyDocument()
{
    w->type(QStringLiteral("x"));
    w->prompter.answerMessage(MsgBox::No);
    const QString empty = w->writeFile(QStringLiteral("empty.txt"), QByteArray());
    w->dialog.choose(empty);
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Open));
    QCOMPARE(text(), QString());
    QCOMPARE(doc().CurrentFile(), empty);
    QVERIFY(!doc().TextChanged());
}

void TestCommandDispatcher::saveTitledKeepsTheFilesFormat()
{
    const QString file = w->writeFile(QStringLiteral("unix.txt"), "\xEF\xBB\xBFone\ntwo\n");
    w->dialog.choose(file);
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Open));
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Save));
    QCOMPARE(w->readFile(QStringLiteral("unix.txt")), QByteArray("\xEF\xBB\xBFone\ntwo\n"));

    w->type(QStringLiteral("zero\n"));
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Save));
    QCOMPARE(w->readFile(QStringLiteral("unix.txt")), QByteArray("\xEF\xBB\xBFzero\none\ntwo\n"));
    QCOMPARE(w->dialog.shown.size(), 1);
    QVERIFY(!doc().TextChanged());
}

void TestCommandDispatcher::changedFileIsNotOverwrittenSilently_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("onExit");
    QTest::addColumn<int>("answer"); // 0: no question
    QTest::addColumn<QByteArray>("saved");
    const QByteArray ours("new ours\r\n");
    const QByteArray theirs("ours\r\ntheirs\r\n");
    QTest::newRow("appended to, Save, Yes") << "append" << false << int(MsgBox::Yes) << ours;
    QTest::newRow("appended to, Save, No") << "append" << false << int(MsgBox::No) << theirs;
    QTest::newRow("replaced, Save, No")
        << "replace" << false << int(MsgBox::No) << QByteArray("ours\r\n");
    QTest::newRow("appended to, Exit, Yes") << "append" << true << int(MsgBox::Yes) << ours;
    QTest::newRow("appended to, Exit, No") << "append" << true << int(MsgBox::No) << theirs;
    QTest::newRow("deleted, Save") << "delete" << false << 0 << ours;
    QTest::newRow("unchanged, Save") << "none" << false << 0 << ours;
}

void TestCommandDispatcher::changedFileIsNotOverwrittenSilently()
{
    QFETCH(QString, change);
    QFETCH(bool, onExit);
    QFETCH(int, answer);
    QFETCH(QByteArray, saved);
    const QString file = w->writeFile(QStringLiteral("shared.txt"), "ours\r\n");
    w->dialog.choose(file);
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Open));
    w->type(QStringLiteral("new "));
    if (change == QLatin1String("append")) {
        w->writeFile(QStringLiteral("shared.txt"), "ours\r\ntheirs\r\n");
    } else if (change == QLatin1String("replace")) {
        // The same bytes in a new file of the same name: only which file it is tells.
        const QString other = w->writeFile(QStringLiteral("other.txt"), "ours\r\n");
        QVERIFY(QFile::remove(file));
        QVERIFY(QFile::rename(other, file));
    } else if (change == QLatin1String("delete")) {
        QVERIFY(QFile::remove(file));
    }
    if (onExit)
        w->prompter.answerMessage(MsgBox::Yes);
    if (answer)
        w->prompter.answerMessage(answer);
    const bool done = onExit ? w->commands.settleUnsavedChanges()
                             : w->commands.ButtonClick(CommandDispatcher::Save);
    QCOMPARE(done, answer != MsgBox::No);
    QCOMPARE(w->readFile(QStringLiteral("shared.txt")), saved);
    QCOMPARE(doc().TextChanged(), answer == MsgBox::No);
    if (answer) {
        const ScriptedPrompter::Asked &asked = w->prompter.messages.constLast();
        QCOMPARE(asked.text,
            QStringLiteral("The file ") + file
                + QStringLiteral(" has been changed by another program.\r"
                                 "Do you wish to overwrite it?"));
        QCOMPARE(asked.style, MsgBox::YesNo | MsgBox::DefaultButton2);
        QVERIFY(asked.title.isEmpty());
    }
    // What was saved here is no other program's change: the next save asks nothing.
    if (done) {
        w->type(QStringLiteral("more "));
        QVERIFY(w->commands.ButtonClick(CommandDispatcher::Save));
        QCOMPARE(w->readFile(QStringLiteral("shared.txt")), QByteArray("new more ours\r\n"));
    }
}

void TestCommandDispatcher::openAndSaveKeepEveryByte_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addRow("paragraph and line separators, noncharacters, NUL")
        << QByteArrayLiteral("a\xE2\x80\xA9"
                             "b\xE2\x80\xA8"
                             "c\xEF\xB7\x90"
                             "d\0e\r\n");
    QTest::addRow("Windows-1252 with every high byte") << [] {
        QByteArray bytes;
        for (int byte = 0x80; byte < 0x100; ++byte)
            bytes += char(byte);
        return bytes + "\r\n";
    }();
    QTest::addRow("UTF-16 with a byte-order mark") << QByteArray("\xFF\xFEh\0i\0\r\0\n\0", 10);
    // Large enough to be read on the worker thread and split into many pieces.
    QTest::addRow("3 MB of CR LF lines with some UTF-8")
        << QByteArray("plain ASCII line\r\nnot quite ASCII: caf\xC3\xA9 \xE4\xB8\xAD\r\n")
               .repeated(60000);
}

void TestCommandDispatcher::openAndSaveKeepEveryByte()
{
    QFETCH(QByteArray, bytes);
    const QString file = w->writeFile(QStringLiteral("kept.txt"), bytes);
    w->dialog.choose(file);
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Open));
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Save));
    QCOMPARE(w->readFile(QStringLiteral("kept.txt")), bytes);
}

void TestCommandDispatcher::slowFileShowsItsProgress_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("label");
    QTest::newRow("open") << int(CommandDispatcher::Open) << QStringLiteral("Opening slow.txt");
    QTest::newRow("save") << int(CommandDispatcher::Save) << QStringLiteral("Saving slow.txt");
}

void TestCommandDispatcher::slowFileShowsItsProgress()
{
    QFETCH(int, command);
    QFETCH(QString, label);
    w = std::make_unique<CommandBench>(std::make_unique<SlowFileStore>());
    const QString file = w->writeFile(QStringLiteral("slow.txt"), "old\r\n");
    QVERIFY(!w->commands.readDocumentFile(file));
    w->type(QStringLiteral("new "));
    if (command == CommandDispatcher::Open) {
        w->prompter.answerMessage(MsgBox::No);
        w->dialog.choose(file);
    }
    QStringList labels;
    int shownValue = 0;
    bool busy = false;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        busy = busy || QGuiApplication::overrideCursor();
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *progress = qobject_cast<QProgressDialog *>(widget);
            if (progress && progress->isVisible()) {
                if (!labels.contains(progress->labelText()))
                    labels << progress->labelText();
                shownValue = std::max(shownValue, progress->value());
            }
        }
    });
    watcher.start(20);
    QVERIFY(w->commands.ButtonClick(command));
    watcher.stop();
    QCOMPARE(labels, QStringList { label });
    QVERIFY(busy);
    QVERIFY2(shownValue > 0, "the progress never moved");
    QCOMPARE(w->readFile(QStringLiteral("slow.txt")),
        command == CommandDispatcher::Save ? QByteArray("new old\r\n") : QByteArray("old\r\n"));
    QCOMPARE(text(),
        command == CommandDispatcher::Save ? QStringLiteral("new old\n") : QStringLiteral("old\n"));
}

void TestCommandDispatcher::saveUntitledAsksForAName()
{
    w->type(QStringLiteral("hello"));
    const QString target = w->path(QStringLiteral("notes"));
    w->dialog.choose(target);
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Save));

    const ScriptedDialog::Shown shown = w->dialog.shown.constFirst();
    QCOMPARE(shown.kind, QStringLiteral("save"));
    QCOMPARE(shown.flags, 6);
    QCOMPARE(shown.filter, QStringLiteral("Textfiles (*.txt)|*.txt"));
    QCOMPARE(w->readFile(QStringLiteral("notes")), QByteArray("hello\r\n"));
    QCOMPARE(doc().CurrentFile(), target);
    QCOMPARE(doc().title(), QStringLiteral("OmrikNote (") + target + QLatin1Char(')'));
    QVERIFY(!doc().TextChanged());
}

void TestCommandDispatcher::saveUntitledCancelled()
{
    w->type(QStringLiteral("hello"));
    w->dialog.cancel();
    QVERIFY(!w->commands.ButtonClick(CommandDispatcher::Save));
    QVERIFY(w->prompter.messages.isEmpty());
    QVERIFY(doc().TextChanged());
    QCOMPARE(doc().CurrentFile(), QString());
}

void TestCommandDispatcher::failedSaveIsReportedAndKeepsState()
{
    w->type(QStringLiteral("hello"));
    w->dialog.choose(w->path(QStringLiteral("no/such/folder.txt")));
    w->prompter.answerMessage(MsgBox::Ok);
    QVERIFY(!w->commands.ButtonClick(CommandDispatcher::Save));
    QCOMPARE(w->prompter.messages.constFirst().text, QStringLiteral("76 - Path not found"));
    QVERIFY(doc().TextChanged());
    QCOMPARE(doc().CurrentFile(), QString());
    QCOMPARE(doc().title(), QStringLiteral("OmrikNote (Untitled)"));

    // The next save can still reach a good place.
    const QString good = w->path(QStringLiteral("good.txt"));
    w->dialog.choose(good);
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Save));
    QCOMPARE(w->readFile(QStringLiteral("good.txt")), QByteArray("hello\r\n"));
}

void TestCommandDispatcher::saveAsReportsFailuresButNotCancel()
{
    w->type(QStringLiteral("x"));
    w->dialog.cancel();
    w->commands.SaveAs();
    QVERIFY(w->prompter.messages.isEmpty());

    w->dialog.choose(w->path(QStringLiteral(".")));
    w->prompter.answerMessage(MsgBox::Ok);
    w->commands.SaveAs();
    QCOMPARE(w->prompter.messages.constFirst().text, QStringLiteral("75 - Path/File access error"));
    QVERIFY(doc().TextChanged());
    QCOMPARE(doc().CurrentFile(), QString());
}

void TestCommandDispatcher::fullDiskLosesNothing()
{
    if (!runningAsRoot())
        QSKIP("mounting a small tmpfs needs root; this run is not root");
    const QString small = w->path(QStringLiteral("small"));
    QVERIFY(QDir().mkpath(small));
    if (QProcess::execute(
            QStringLiteral("mount"), { "-t", "tmpfs", "-o", "size=16k", "tmpfs", small })
        != 0)
        QSKIP("the sandbox does not allow mounting a tmpfs");
    const auto unmount = qScopeGuard([&small] {
        QProcess::execute(QStringLiteral("umount"), { small });
    });
    QFile old(small + QStringLiteral("/letter.txt"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("the old letter\r\n");
    old.close();
    w->dialog.choose(old.fileName());
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Open));

    w->type(QString(40000, QLatin1Char('x')));
    w->prompter.answerMessage(MsgBox::Ok);
    QVERIFY(!w->commands.ButtonClick(CommandDispatcher::Save));
    QCOMPARE(w->prompter.messages.constFirst().text, QStringLiteral("61 - Disk full"));
    QVERIFY(doc().TextChanged());
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("the old letter\r\n"));
    QCOMPARE(QDir(small).entryList(QDir::Files | QDir::Hidden).size(), 1);

    w->dialog.choose(w->path(QStringLiteral("roomy.txt")));
    w->commands.SaveAs();
    QCOMPARE(
        w->readFile(QStringLiteral("roomy.txt")), QByteArray(40000, 'x') + "the old letter\r\n");
    QVERIFY(!doc().TextChanged());
}

void TestCommandDispatcher::saveAsOnTitledDocumentMovesIt()
{
    const QString first = w->writeFile(QStringLiteral("first.txt"), "text\r\n");
    w->dialog.choose(first);
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Open));
    const QString second = w->path(QStringLiteral("second.txt"));
    w->dialog.choose(second);
    w->commands.SaveAs();
    QCOMPARE(w->dialog.shown.last().filter, QStringLiteral("Textfiles (*.txt)|*.txt"));
    QCOMPARE(w->readFile(QStringLiteral("second.txt")), QByteArray("text\r\n"));
    QCOMPARE(doc().CurrentFile(), second);
    QCOMPARE(doc().title(), QStringLiteral("OmrikNote (") + second + QLatin1Char(')'));
}

void TestCommandDispatcher::adoptedDocumentKeepsItsFormat_data()
{
    QTest::addColumn<bool>("startNew");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("saved under another name: encoding and line ends as read")
        << false
        << QByteArray("\xEF\xBB\xBF"
                      "added\nmore\none\n");
    QTest::newRow("new document: the previous file's format forgotten")
        << true << QByteArray("added\r\nmore\r\n");
}

void TestCommandDispatcher::adoptedDocumentKeepsItsFormat()
{
    QFETCH(bool, startNew);
    QFETCH(QByteArray, saved);
    w->dialog.choose(w->writeFile(QStringLiteral("read.txt"), "\xEF\xBB\xBFone\n"));
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Open));
    if (startNew)
        QVERIFY(w->commands.ButtonClick(CommandDispatcher::New));
    w->type(QStringLiteral("added\n"));
    w->dialog.choose(w->path(QStringLiteral("written.txt")));
    w->commands.SaveAs();
    // A later save in place writes the format the document was adopted with.
    w->type(QStringLiteral("more\n"));
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Save));
    QCOMPARE(w->readFile(QStringLiteral("written.txt")), saved);
    QCOMPARE(w->readFile(QStringLiteral("read.txt")), QByteArray("\xEF\xBB\xBFone\n"));
    QVERIFY(!doc().TextChanged());
}

void TestCommandDispatcher::printSendsTextAndFont()
{
    w->setUnchangedText(QStringLiteral("print me\n"));
    ControlFont font;
    font.name = QStringLiteral("DejaVu Serif");
    font.size = 10.5;
    font.bold = true;
    font.underline = true;
    w->text.setControlFont(font);
    PrintSetup chosen;
    chosen.printerName = QStringLiteral("Second floor");
    chosen.copies = 2;
    chosen.pageLayout
        = QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape, QMarginsF(5, 5, 5, 5));
    w->dialog.confirmPrinter(chosen);
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Print));
    QCOMPARE(w->printer.jobs.size(), 1);
    const RecordingPrinter::Job job = w->printer.jobs.constFirst();
    QVERIFY2(job.setup == chosen, "the job goes where the dialog sent it, as chosen there");
    QCOMPARE(job.text, QStringLiteral("print me\n"));
    QCOMPARE(job.font.families().constFirst(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(job.font.pointSizeF(), 10.5);
    QVERIFY(job.font.bold() && job.font.underline() && !job.font.italic() && !job.font.strikeOut());
    QVERIFY(!doc().TextChanged());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestCommandDispatcher::printCancelledOrFailing()
{
    w->dialog.cancel();
    QVERIFY(!w->commands.ButtonClick(CommandDispatcher::Print));
    QVERIFY(w->printer.jobs.isEmpty());
    QVERIFY(w->prompter.messages.isEmpty());

    w->printer.failure = Failure { FailureNumber::PrinterError, QStringLiteral("Printer error") };
    w->dialog.confirmPrinter();
    w->prompter.answerMessage(MsgBox::Ok);
    QVERIFY(!w->commands.ButtonClick(CommandDispatcher::Print));
    QCOMPARE(w->prompter.messages.constFirst().text, QStringLiteral("482 - Printer error"));
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestCommandDispatcher::clipboardCommandsMarkTheDocument()
{
    w->setUnchangedText(QStringLiteral("abc def\n"));
    MemoryEditableText &box = w->text;
    box.setSelStart(0);
    box.setSelLength(3);
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Copy));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("abc"));
    QVERIFY(!doc().TextChanged());

    box.setSelStart(4);
    box.setSelLength(3);
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Cut));
    QCOMPARE(text(), QStringLiteral("abc \n"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("def"));
    QVERIFY(doc().TextChanged());

    box.setSelStart(0);
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Paste));
    QCOMPARE(text(), QStringLiteral("defabc \n"));
}

void TestCommandDispatcher::undoIsOneStepThatTogglesBack()
{
    w->setUnchangedText(QStringLiteral("base"));
    MemoryEditableText &box = w->text;
    box.setSelStart(4);
    box.setSelLength(0);
    w->type(QStringLiteral(" one"));
    box.setSelStart(0);
    box.setSelLength(4);
    QGuiApplication::clipboard()->setText(QStringLiteral("BASE"));
    box.paste();
    QCOMPARE(text(), QStringLiteral("BASE one"));

    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Undo));
    QCOMPARE(text(), QStringLiteral("base one"));
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Undo));
    QCOMPARE(text(), QStringLiteral("BASE one"));
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Undo));
    QCOMPARE(text(), QStringLiteral("base one"));
    QVERIFY(doc().TextChanged());
}

void TestCommandDispatcher::find_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("notFound");
    QTest::newRow("[abc] in [xabcx]: silent") << "xabcx\n"
                                              << "abc" << false;
    QTest::newRow("[zzz] in [xabcx]: not found") << "xabcx\n"
                                                 << "zzz" << true;
    QTest::newRow("[abc] in [ABC]: case differs") << "ABC\n"
                                                  << "abc" << true;
    QTest::newRow("cancelled in a text: silent") << "ABC\n"
                                                 << "" << false;
    QTest::newRow("cancelled in an empty document") << ""
                                                    << "" << true;
    QTest::newRow("[c d] across a line break is not found") << "c\nd\n"
                                                            << "c d" << true;
}

void TestCommandDispatcher::find()
{
    QFETCH(QString, document);
    QFETCH(QString, search);
    QFETCH(bool, notFound);
    w->setUnchangedText(document);
    w->text.setSelStart(1);
    w->prompter.answerInput(search);
    if (notFound)
        w->prompter.answerMessage(MsgBox::Ok);
    QVERIFY(w->commands.ButtonClick(CommandDispatcher::Find));
    QCOMPARE(
        w->prompter.inputs.constFirst().text, QStringLiteral("Please enter your search string:"));
    QCOMPARE(w->prompter.inputs.constFirst().title, QStringLiteral("Zoeken"));
    QCOMPARE(w->prompter.messages.size(), notFound ? 1 : 0);
    if (notFound) {
        QCOMPARE(w->prompter.messages.constFirst().text, QStringLiteral("String not found!"));
        QCOMPARE(w->prompter.messages.constFirst().style, int(MsgBox::OkOnly));
        QCOMPARE(w->prompter.messages.constFirst().title, QString());
    }
    QCOMPARE(w->text.selStart(), document.isEmpty() ? 0 : 1);
    QCOMPARE(w->text.selLength(), 0);
}

void TestCommandDispatcher::unknownIndexDoesNothing()
{
    w->setUnchangedText(QStringLiteral("keep\n"));
    for (int index : { -1, 9, 32767 })
        QVERIFY(w->commands.ButtonClick(index));
    QCOMPARE(text(), QStringLiteral("keep\n"));
    QVERIFY(!doc().TextChanged());
}

void TestCommandDispatcher::selectAllSelectsEverythingWithoutChange()
{
    w->commands.SelectAll();
    QCOMPARE(w->text.selStart(), 0);
    QCOMPARE(w->text.selLength(), 0);
    w->setUnchangedText(QStringLiteral("two\nlines\n"));
    w->commands.SelectAll();
    QCOMPARE(w->text.selLength(), 10);
    QVERIFY(!doc().TextChanged());
}

OMRIK_TEST_MAIN(TestCommandDispatcher)
#include "tst_commanddispatcher.moc"
