#include "core/documentread.h"
#include "engine/textcontrol.h"
#include "platform/tiledpicture.h"
#include "platform/twips.h"
#include "settings/association.h"
#include "settings/startup.h"
#include "tests/support/fakewindow.h"
#include "tests/support/scriptedsessionend.h"
#include "tests/support/slowfilestore.h"
#include "tests/support/testenvironment.h"
#include "ui/formlayout.h"
#include "ui/softbutton.h"
#include "ui/tarnbar.h"

#include <QAccessible>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QtTest>

#include <atomic>
#include <thread>

namespace {

// Hands out fixed bytes for every path, once the test opens the gate.
class GatedFileStore : public FileStore
{
public:
    explicit GatedFileStore(QByteArray bytes)
        : m_bytes(std::move(bytes))
    { }

    Result<QByteArray> readFile(const QString &, Progress &) override
    {
        m_gate.acquire();
        ++reads;
        return m_bytes;
    }
    MaybeFailure writeFile(const QString &, const QByteArray &, Progress &) override
    {
        return std::nullopt;
    }
    void open() { m_gate.release(); }

    std::atomic<int> reads { 0 };

private:
    QByteArray m_bytes;
    QSemaphore m_gate;
};

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void menuTree();
    void toolbarButtonsInTheirOrder();
    void toolbarButtonAndMenuEntryRunTheSameCommand_data();
    void toolbarButtonAndMenuEntryRunTheSameCommand();
    void screenReadersSeeNamesAndRoles_data();
    void screenReadersSeeNamesAndRoles();
    void rightButtonShowsTheEditMenu();
    void wordWrapToggleDoesNotModify();
    void startsWithBackgroundAndUntitledTitle();
    void layoutPass_data();
    void layoutPass();
    void layoutFollowsTheWindow();
    void centring();
    void tarnBarProperties();
    void shutDown_data();
    void shutDown();
    void sessionEnd_data();
    void sessionEnd();
    void dropOpensAsOpenDoes_data();
    void dropOpensAsOpenDoes();
    void commandLineFile();
    void titleShowsFileNameAsWritten();
    void backgroundFollowsThePaletteAtOnce();
    void commandLineFileAlreadyBeingRead();
    void readOfAnotherPathIsLeftAlone();
    void readIsTakenWhenAlreadyTheHandler();
    void fileChangedDuringTheQuestionIsReadAgain();
    void startUpAppliesStoredSettings();
    void unusableGeometryGetsTheDefault_data();
    void unusableGeometryGetsTheDefault();
    void associationOfferComesBeforeTheWindow();
    void settingsWrittenAtTheEndComeBack();
    void largeFileLoadsWhileTheWindowAnswers();
    void typingAndDeletingLeavesModified();
    void classicClipboardKeys_data();
    void classicClipboardKeys();

private:
    std::unique_ptr<FakeWindow> w;
};

void TestForm1::init()
{
    w = std::make_unique<FakeWindow>();
}

void TestForm1::cleanup()
{
    w->verifyScriptsUsed();
    w.reset();
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void TestForm1::menuTree()
{
    QStringList seen;
    for (QAction *top : w->form->menuBar()->actions()) {
        seen << top->objectName() + QLatin1Char('=') + top->text();
        for (QAction *entry : top->menu()->actions()) {
            QString line = QStringLiteral("  ") + entry->objectName() + QLatin1Char('=')
                + (entry->isSeparator() ? QStringLiteral("-") : entry->text());
            if (!entry->shortcut().isEmpty())
                line += QLatin1Char(' ') + entry->shortcut().toString();
            QVERIFY(entry->isEnabled() && entry->isVisible() && !entry->isChecked());
            seen << line;
        }
    }
    const QStringList expected = {
        "mnuBestand=&File",
        "  mnuNew=&New Ctrl+N",
        "  mnuOpen=&Open... Ctrl+O",
        "  mnuSave=&Save Ctrl+S",
        "  mnuSaveAs=Save &as...",
        "  mnuSep1=-",
        "  mnuPrint=&Print... Ctrl+P",
        "  mnuSep2=-",
        "  mnuExit=E&xit",
        "mnuEdit=E&dit",
        "  mnuUndo=&Undo Ctrl+Z",
        "  mnuSep4=-",
        "  mnuCut=&Cut Ctrl+X",
        "  mnuCopy=C&opy Ctrl+C",
        "  mnuPaste=&Paste Ctrl+V",
        "  mnuSep3=-",
        "  mnuSelectAll=&Select all Ctrl+A",
        "  mnuFind=&Find... Ctrl+F",
        "mnuExtra=E&xtra",
        "  mnuWordwrap=&Wordwrap",
        "  mnuSep7=-",
        "  mnuOpties=&Font...",
        "  mnuTexture=&Background...",
        "  mnuSep8=-",
        "  mnuCenter=&Center OmrikNote",
        "mnuHelp=&Help",
        "  mnuInternet=&OMRIK - The Mavren homepage",
        "  mnuSendMail=&Send e-mail",
        "  mnuSep6=-",
        "  mnuInfo=&About...",
    };
    QCOMPARE(seen, expected);
}

void TestForm1::toolbarButtonsInTheirOrder()
{
    QList<Softbutton *> buttons = w->form->tarnBar()->findChildren<Softbutton *>();
    std::sort(buttons.begin(), buttons.end(), [](Softbutton *a, Softbutton *b) {
        return a->x() < b->x();
    });
    QStringList seen;
    for (Softbutton *button : buttons) {
        seen << QString::number(button->Index()) + QLatin1Char(':') + button->toolTip();
        QCOMPARE(button->accessibleName(), button->toolTip());
        QCOMPARE(button->size(), QSize(23, 23));
        QVERIFY(!button->icon().isNull());
    }
    QCOMPARE(seen,
        QStringList({ "0:New",
            "1:Open...",
            "2:Save",
            "3:Print...",
            "4:Cut",
            "6:Copy",
            "5:Paste",
            "7:Undo",
            "8:Find..." }));
    QCOMPARE(buttons.at(0)->x(), 14);
    QCOMPARE(buttons.at(8)->x(), 220);

    // The mask colour lets the bar show through the glyph.
    const QPixmap glyph = buttons.at(0)->icon().pixmap(16, 16);
    QVERIFY(glyph.hasAlpha());
    QImage image(QStringLiteral(":/assets/toolbar/new.xpm"));
    QCOMPARE(image.pixel(0, 0), qRgb(192, 192, 192));
    QCOMPARE(qAlpha(glyph.toImage().pixel(0, 0)), 0);
}

void TestForm1::toolbarButtonAndMenuEntryRunTheSameCommand_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("menuEntry");
    QTest::newRow("0 New") << 0 << "mnuNew";
    QTest::newRow("1 Open") << 1 << "mnuOpen";
    QTest::newRow("2 Save") << 2 << "mnuSave";
    QTest::newRow("3 Print") << 3 << "mnuPrint";
    QTest::newRow("4 Cut") << 4 << "mnuCut";
    QTest::newRow("5 Paste") << 5 << "mnuPaste";
    QTest::newRow("6 Copy") << 6 << "mnuCopy";
    QTest::newRow("7 Undo") << 7 << "mnuUndo";
    QTest::newRow("8 Find") << 8 << "mnuFind";
}

// Each command leaves a distinct trace; the button and the menu entry must leave the same one.
void TestForm1::toolbarButtonAndMenuEntryRunTheSameCommand()
{
    QFETCH(int, index);
    QFETCH(QString, menuEntry);
    auto trace = [this, index](const std::function<void()> &trigger) {
        w = std::make_unique<FakeWindow>();
        QGuiApplication::clipboard()->setText(QStringLiteral("CLIP"));
        w->type(QStringLiteral("abc"));
        w->form->textBox()->setSelStart(0);
        w->form->textBox()->setSelLength(1);
        if (index == 0 || index == 1)
            w->prompter->answerMessage(MsgBox::Cancel);
        if (index == 2 || index == 3)
            w->dialog->cancel();
        if (index == 8) {
            w->prompter->answerInput(QStringLiteral("zz"));
            w->prompter->answerMessage(MsgBox::Ok);
        }
        trigger();
        w->verifyScriptsUsed();
        QStringList kinds;
        for (const ScriptedDialog::Shown &shown : w->dialog->shown)
            kinds << shown.kind;
        return QStringList { w->form->textBox()->text(),
            QGuiApplication::clipboard()->text(),
            QString::number(w->prompter->messages.size()),
            kinds.join(QLatin1Char(',')) };
    };
    const QStringList byButton = trace([this, index] {
        const auto name = QStringLiteral("Softbutton%1").arg(index);
        QTest::mouseClick(w->form->findChild<Softbutton *>(name), Qt::LeftButton);
    });
    const QStringList byMenu = trace([this, menuEntry] {
        w->form->menuAction(menuEntry)->trigger();
    });
    QCOMPARE(byButton, byMenu);
    const QStringList untouched
        = { QStringLiteral("abc"), QStringLiteral("CLIP"), QStringLiteral("0"), QString() };
    QVERIFY2(byButton != untouched, "the command left no trace");
}

void TestForm1::screenReadersSeeNamesAndRoles_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("onToolbar");
    QTest::addColumn<bool>("takesFocus");
    QTest::newRow("text area") << "TextBox1" << QAccessible::EditableText << "Text" << false
                               << true;
    QTest::newRow("toolbar") << "TarnBar1" << QAccessible::ToolBar << "Toolbar" << false << false;
    QTest::newRow("grip") << "Grip" << QAccessible::Separator << "" << true << false;
    const std::pair<int, const char *> buttons[] = { { 0, "New" },
        { 1, "Open..." },
        { 2, "Save" },
        { 3, "Print..." },
        { 4, "Cut" },
        { 6, "Copy" },
        { 5, "Paste" },
        { 7, "Undo" },
        { 8, "Find..." } };
    for (const auto &[index, name] : buttons) {
        QTest::addRow("button %d", index) << QStringLiteral("Softbutton%1").arg(index)
                                          << QAccessible::Button << name << true << false;
    }
    QTest::newRow("first separator")
        << "TBSmallSep1" << QAccessible::Separator << "" << false << false;
    QTest::newRow("second separator")
        << "TBSmallSep2" << QAccessible::Separator << "" << false << false;
}

// What a screen reader says of the window's parts; giving them names and roles must not
// change which of them take the keyboard focus.
void TestForm1::screenReadersSeeNamesAndRoles()
{
    QFETCH(QString, object);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, name);
    QFETCH(bool, onToolbar);
    QFETCH(bool, takesFocus);
    auto *widget = w->form->findChild<QWidget *>(object);
    QVERIFY(widget);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), role);
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(accessible->parent()->role() == QAccessible::ToolBar, onToolbar);
    QCOMPARE(widget->focusPolicy() != Qt::NoFocus, takesFocus);
    QCOMPARE(bool(accessible->state().focusable), takesFocus);
}

void TestForm1::rightButtonShowsTheEditMenu()
{
    w->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->form.get()));
    QWidget *viewport = w->form->textBox()->viewport();
    QMenu *edit = w->form->editMenu();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseClick(viewport, Qt::MiddleButton, {}, QPoint(20, 20));
    QVERIFY(!edit->isVisible());
    QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(20, 20));
    QTRY_VERIFY(edit->isVisible());
    edit->hide();
}

void TestForm1::wordWrapToggleDoesNotModify()
{
    QAction *wrap = w->form->menuAction(QStringLiteral("mnuWordwrap"));
    QVERIFY(!w->form->textBox()->wordWrap());
    wrap->trigger();
    QVERIFY(wrap->isChecked());
    QVERIFY(w->form->textBox()->wordWrap());
    wrap->trigger();
    QVERIFY(!wrap->isChecked());
    QVERIFY(!w->form->textBox()->wordWrap());
    QVERIFY(!w->form->document().TextChanged());
}

void TestForm1::startsWithBackgroundAndUntitledTitle()
{
    QCOMPARE(w->form->windowTitle(), QStringLiteral("OmrikNote (Untitled)"));
    QCOMPARE(w->form->image()->shownPicture().size(), QSize(100, 100));
    QVERIFY(!w->form->windowIcon().isNull());
    // A screen at a scale of 2 gets pictures drawn at twice the pixels.
    QCOMPARE(w->form->windowIcon().pixmap(QSize(32, 32), 2.0).size(), QSize(64, 64));
    const auto *newButton = w->form->findChild<Softbutton *>(QStringLiteral("Softbutton0"));
    QCOMPARE(newButton->icon().pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
    QCOMPARE(w->form->textBox()->controlFont().size, 8.25);
    w->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->form.get()));
    QCOMPARE(w->form->centralWidget()->size(), QSize(505, 323));
}

void TestForm1::layoutPass_data()
{
    QTest::addColumn<double>("outerWidth");
    QTest::addColumn<double>("outerHeight");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::newRow("default 7635 x 5640") << 7635.0 << 5640.0 << 7440.0 << 4455.0;
    QTest::newRow("300 twips wider") << 7935.0 << 5640.0 << 7740.0 << 4455.0;
    QTest::newRow("height 1185: height step skipped") << 7635.0 << 1185.0 << 7440.0 << -1.0;
    QTest::newRow("too low: height step skipped") << 7635.0 << 900.0 << 7440.0 << -1.0;
    QTest::newRow("too narrow: pass ends at the width") << 150.0 << 5640.0 << -1.0 << -1.0;
}

void TestForm1::layoutPass()
{
    QFETCH(double, outerWidth);
    QFETCH(double, outerHeight);
    QFETCH(double, width);
    QFETCH(double, height);
    const FormLayout layout = layoutForOuterSize(outerWidth, outerHeight);
    QCOMPARE(layout.line2End, outerWidth);
    QCOMPARE(layout.controlWidth.value_or(-1), width);
    QCOMPARE(layout.controlHeight.value_or(-1), height);
}

void TestForm1::layoutFollowsTheWindow()
{
    w->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->form.get()));
    // Sizes are those of the whole window, frame included, as the window system reports it.
    auto check = [this](QSize outer) {
        const QSize frame = w->form->frameGeometry().size() - w->form->size();
        w->form->resize(outer - frame);
        QTRY_COMPARE(w->form->frameGeometry().size(), outer);
        const QSize expected(outer.width() - 13, outer.height() - 79);
        QCOMPARE(w->form->textBox()->size(), expected);
        QCOMPARE(w->form->image()->size(), expected);
        QCOMPARE(w->form->textBox()->pos(), QPoint(3, 29));
        QCOMPARE(w->form->tarnBar()->width(), w->form->centralWidget()->width());
        QCOMPARE(w->form->tarnBar()->line(0).x2(), pixelsToTwips(outer.width()));
    };
    check(QSize(509, 376));
    check(QSize(529, 376)); // 300 twips wider
    check(QSize(509, 376)); // and back: the same layout again
    const int heightBefore = w->form->textBox()->height();
    w->form->resize(509, 60); // too low: the height step fails and leaves the old height
    QTRY_COMPARE(w->form->height(), 60);
    QCOMPARE(w->form->textBox()->height(), heightBefore);
}

void TestForm1::centring()
{
    QCOMPARE(centredOffset(15360, 7635), 3862.5);
    QCOMPARE(centredOffset(7000, 7635), -317.5);
    w->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->form.get()));
    w->form->resize(509, 376);
    w->form->move(0, 0);
    w->form->menuAction(QStringLiteral("mnuCenter"))->trigger();
    const QRect screen = w->form->screen()->geometry();
    const int outerWidth = w->form->frameGeometry().width();
    QTRY_VERIFY(qAbs(w->form->frameGeometry().x() - (screen.width() - outerWidth) / 2.0) <= 0.5);
    QCOMPARE(w->form->size(), QSize(509, 376));
}

void TestForm1::tarnBarProperties()
{
    TarnBar *bar = w->form->tarnBar();
    QVERIFY(!bar->Enabled());
    QSignalSpy changed(bar, &TarnBar::PropertyChanged);
    bar->setBackColor(0xDEADBEEF);
    QCOMPARE(bar->BackColor(), 0xDEADBEEFu);
    bar->setBorderStyle(-7);
    QCOMPARE(bar->BorderStyle(), qint16(-7));
    QCOMPARE(changed.size(), 2);
    QCOMPARE(changed.at(0).at(0).toString(), QStringLiteral("BackColor"));

    QSignalSpy moved(bar, &TarnBar::MouseMove);
    QMouseEvent move(QEvent::MouseMove,
        QPointF(250, 10),
        QPointF(250, 10),
        Qt::NoButton,
        Qt::NoButton,
        Qt::ShiftModifier);
    QApplication::sendEvent(bar, &move);
    QCOMPARE(moved.size(), 1);
    QCOMPARE(moved.at(0).at(1).toInt(), 1);
    QCOMPARE(moved.at(0).at(2).toDouble(), pixelsToTwips(250));
}

void TestForm1::shutDown_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveTo");
    QTest::addColumn<bool>("ends");
    QTest::newRow("unchanged: ends without asking") << false << 0 << "" << true;
    QTest::newRow("Cancel: goes on") << true << int(MsgBox::Cancel) << "" << false;
    QTest::newRow("No: ends, edits dropped") << true << int(MsgBox::No) << "" << true;
    QTest::newRow("Yes: saves, then ends") << true << int(MsgBox::Yes) << "out.txt" << true;
    QTest::newRow("Yes, save cancelled: goes on")
        << true << int(MsgBox::Yes) << "<cancel>" << false;
    QTest::newRow("Yes, save fails: goes on")
        << true << int(MsgBox::Yes) << "missing/out.txt" << false;
}

void TestForm1::shutDown()
{
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(QString, saveTo);
    QFETCH(bool, ends);
    if (modified)
        w->type(QStringLiteral("unsaved"));
    if (answer)
        w->prompter->answerMessage(answer);
    if (saveTo == QLatin1String("<cancel>"))
        w->dialog->cancel();
    else if (!saveTo.isEmpty())
        w->dialog->choose(w->path(saveTo));
    if (saveTo.startsWith(QLatin1String("missing")))
        w->prompter->answerMessage(MsgBox::Ok);

    w->form->show();
    QCOMPARE(w->form->close(), ends);
    QCOMPARE(w->endProgramCalls, ends ? 1 : 0);
    QCOMPARE(w->settings->writes.size(), ends ? 13 : 0);
    QCOMPARE(w->settings->syncs, ends ? 1 : 0);
    QCOMPARE(w->form->document().TextChanged(), modified && !(ends && answer == MsgBox::Yes));
    if (saveTo == QLatin1String("out.txt"))
        QCOMPARE(w->readFile(saveTo), QByteArray("unsaved\r\n"));
    if (!ends)
        QCOMPARE(w->form->textBox()->text(), QStringLiteral("unsaved"));

    // Exit from the menu takes the same road.
    if (!ends) {
        w->prompter->answerMessage(MsgBox::No);
        w->form->menuAction(QStringLiteral("mnuExit"))->trigger();
        QCOMPARE(w->endProgramCalls, 1);
        QCOMPARE(w->settings->writes.size(), 13);
    }
}

void TestForm1::sessionEnd_data()
{
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("ends");
    QTest::newRow("unchanged: ends without asking") << true << false << 0 << true;
    QTest::newRow("Yes: saves, then ends") << true << true << int(MsgBox::Yes) << true;
    QTest::newRow("No: ends, edits dropped") << true << true << int(MsgBox::No) << true;
    QTest::newRow("Cancel: the logout is stopped") << true << true << int(MsgBox::Cancel) << false;
    QTest::newRow("no leave to ask: nothing decided") << false << true << 0 << false;
}

void TestForm1::sessionEnd()
{
    QFETCH(bool, allowed);
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(bool, ends);
    if (modified)
        w->type(QStringLiteral("unsaved"));
    if (answer)
        w->prompter->answerMessage(answer);
    if (answer == MsgBox::Yes)
        w->dialog->choose(w->path(QStringLiteral("out.txt")));

    ScriptedSessionEnd session(allowed);
    w->form->commitData(session);
    QCOMPARE(session.cancels, allowed && !ends ? 1 : 0);
    QCOMPARE(w->prompter->messages.size(), answer ? 1 : 0);
    QCOMPARE(w->endProgramCalls, ends ? 1 : 0);
    QCOMPARE(w->settings->writes.size(), ends ? 13 : 0);
    QCOMPARE(w->form->document().TextChanged(), modified && answer != MsgBox::Yes);
    if (answer == MsgBox::Yes)
        QCOMPARE(w->readFile(QStringLiteral("out.txt")), QByteArray("unsaved\r\n"));
}

void TestForm1::dropOpensAsOpenDoes_data()
{
    QTest::addColumn<bool>("onText");
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("opened");
    const QStringList a { "a.txt" };
    QTest::newRow("on the toolbar") << false << a << 0 << "a.txt";
    QTest::newRow("on the text area") << true << a << 0 << "a.txt";
    QTest::newRow("several: the first") << true << QStringList { "b.txt", "a.txt" } << 0 << "b.txt";
    QTest::newRow("a web link first: the file")
        << false << QStringList { "https://example.org/b.txt", "a.txt" } << 0 << "a.txt";
    QTest::newRow("modified, Yes: saves, opens") << true << a << int(MsgBox::Yes) << "a.txt";
    QTest::newRow("modified, No: opens") << true << a << int(MsgBox::No) << "a.txt";
    QTest::newRow("modified, Cancel: stays") << true << a << int(MsgBox::Cancel) << "";
    QTest::newRow("missing file: reported") << false << QStringList { "missing.txt" } << 0 << "";
    QTest::newRow("text only: not inserted") << true << QStringList() << 0 << "";
}

void TestForm1::dropOpensAsOpenDoes()
{
    QFETCH(bool, onText);
    QFETCH(QStringList, dropped);
    QFETCH(int, answer);
    QFETCH(QString, opened);
    w->writeFile(QStringLiteral("a.txt"), "from a\r\n");
    w->writeFile(QStringLiteral("b.txt"), "from b\r\n");
    answer ? w->type(QStringLiteral("before")) : w->setUnchangedText(QStringLiteral("before"));
    if (answer)
        w->prompter->answerMessage(answer);
    if (answer == MsgBox::Yes)
        w->dialog->choose(w->path(QStringLiteral("saved.txt")));
    if (dropped.contains(QStringLiteral("missing.txt")))
        w->prompter->answerMessage(MsgBox::Ok);
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &name : dropped)
        urls << (name.contains(u':') ? QUrl(name) : QUrl::fromLocalFile(w->path(name)));
    data.setUrls(urls);
    // File managers offer the names as text too.
    data.setText(QStringLiteral("dropped text"));

    // Given to the window as the windowing system gives them, so that Qt picks the widget.
    w->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->form.get()));
    QWidget *under = onText ? w->form->textBox()->viewport() : w->form->tarnBar();
    const QPoint at = under->mapTo(w->form.get(), QPoint(under->width() - 4, 4));
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w->form->windowHandle(), &enter);
    QCOMPARE(enter.isAccepted(), !dropped.isEmpty());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w->form->windowHandle(), &drop);
    QCoreApplication::processEvents();

    if (dropped.contains(QStringLiteral("missing.txt")))
        QCOMPARE(w->prompter->messages.constLast().text, QStringLiteral("53 - File not found"));
    if (answer == MsgBox::Yes)
        QCOMPARE(w->readFile(QStringLiteral("saved.txt")), QByteArray("before\r\n"));
    const QString text = opened.isEmpty() ? QStringLiteral("before")
                                          : QStringLiteral("from %1\n").arg(opened.at(0));
    QCOMPARE(w->form->textBox()->text(), text);
    QCOMPARE(w->form->document().CurrentFile(), opened.isEmpty() ? QString() : w->path(opened));
    QCOMPARE(w->form->document().TextChanged(), answer == MsgBox::Cancel);
}

void TestForm1::commandLineFile()
{
    QCOMPARE(argumentText({ "OmrikNote" }), QString());
    QCOMPARE(argumentText({ "OmrikNote", "\"/tmp/a b.txt\"" }), QStringLiteral("/tmp/a b.txt"));
    QCOMPARE(argumentText({ "OmrikNote", "/tmp/a", "b.txt" }), QStringLiteral("/tmp/a b.txt"));

    const QString file = w->writeFile(QStringLiteral("two lines.txt"), "one\r\ntwo\r\n");
    w->settings->values.insert(QStringLiteral("Options/CheckDefault"), QStringLiteral("No"));
    w->form->startUp({ QStringLiteral("OmrikNote"), QLatin1Char('"') + file + QLatin1Char('"') });
    QCOMPARE(w->form->textBox()->text(), QStringLiteral("one\ntwo\n"));
    QCOMPARE(w->form->textBox()->selStart(), 0);
    QCOMPARE(w->form->windowTitle(), QStringLiteral("OmrikNote (") + file + QLatin1Char(')'));
    QVERIFY(!w->form->document().TextChanged());

    w = std::make_unique<FakeWindow>();
    w->settings->values.insert(QStringLiteral("Options/CheckDefault"), QStringLiteral("No"));
    w->prompter->answerMessage(MsgBox::Ok);
    w->form->startUp({ QStringLiteral("OmrikNote"), w->path(QStringLiteral("missing.txt")) });
    QCOMPARE(w->prompter->messages.constFirst().text, QStringLiteral("53 - File not found"));
    QCOMPARE(w->form->windowTitle(), QStringLiteral("OmrikNote (Untitled)"));
    QCOMPARE(w->form->document().CurrentFile(), QString());
    QVERIFY(!w->form->document().TextChanged());
}

void TestForm1::titleShowsFileNameAsWritten()
{
#ifdef Q_OS_WIN
    QSKIP("a Windows file name cannot hold the title's placeholder [*]");
#endif
    const QString file = w->writeFile(QStringLiteral("a[*]b.txt"), "x\r\n");
    w->settings->values.insert(QStringLiteral("Options/CheckDefault"), QStringLiteral("No"));
    w->form->startUp({ QStringLiteral("OmrikNote"), file });
    w->form->winId();
    QCOMPARE(w->form->windowHandle()->title(), QStringLiteral("OmrikNote (") + file + u')');
}

// The desktop's text colour is in force: a change to a dark theme turns the text light and
// the background dark while the program runs, and back.
void TestForm1::backgroundFollowsThePaletteAtOnce()
{
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Base, QColor(0x3d, 0x3d, 0x3d));
    w->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->form.get()));
    const QImage lightBackground = w->form->image()->shownPicture().toImage();
    QApplication::setPalette(dark);
    QTRY_COMPARE(w->form->textBox()->textColor(), QColor(Qt::white));
    QCOMPARE(w->form->image()->textColor(), QColor(Qt::white));
    QCOMPARE(w->form->image()->shownPicture().toImage(),
        QImage(QStringLiteral(":/assets/background-dark.gif"))
            .convertToFormat(QImage::Format_RGB32));
    QApplication::setPalette(light);
    QTRY_COMPARE(w->form->image()->shownPicture().toImage(), lightBackground);
    // A colour the user chose stays as chosen whatever the theme.
    w->form->textBox()->setForeColor(0x000080u);
    QApplication::setPalette(dark);
    QTRY_COMPARE(w->form->palette().color(QPalette::Text), QColor(Qt::white));
    QCOMPARE(w->form->textBox()->textColor(), QColor(0x80, 0, 0));
    QCOMPARE(w->form->image()->shownPicture().toImage(), lightBackground);
    QApplication::setPalette(light);
}

void TestForm1::commandLineFileAlreadyBeingRead()
{
    const QString file = w->writeFile(QStringLiteral("early.txt"), "on disk\r\n");
    w->settings->values.insert(QStringLiteral("Options/CheckDefault"), QStringLiteral("No"));
    // The read of the same path is taken over, though it ends long after the window asks.
    GatedFileStore early("read early\r\n");
    DocumentRead started(early, file);
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] {
        ++ticks;
    });
    ticker.start(5);
    std::thread opener([&early] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        early.open();
    });
    w->form->startUp({ QStringLiteral("OmrikNote"), file }, &started);
    opener.join();
    QCOMPARE(w->form->textBox()->text(), QStringLiteral("read early\n"));
    QCOMPARE(early.reads.load(), 1);
    QVERIFY2(ticks > 0, "the event loop did not run while the started read went on");
    QVERIFY(w->form->isVisible());
    QCOMPARE(w->form->windowTitle(), QStringLiteral("OmrikNote (") + file + QLatin1Char(')'));
    QVERIFY(!w->form->document().TextChanged());
}

// A read of another path is left alone and the named file is read as usual.
void TestForm1::readOfAnotherPathIsLeftAlone()
{
    const QString named = w->writeFile(QStringLiteral("named.txt"), "on disk\r\n");
    w->settings->values.insert(QStringLiteral("Options/CheckDefault"), QStringLiteral("No"));
    GatedFileStore other("other\r\n");
    other.open();
    DocumentRead elsewhere(other, w->path(QStringLiteral("-style")));
    w->form->startUp({ QStringLiteral("OmrikNote"), named }, &elsewhere);
    QCOMPARE(w->form->textBox()->text(), QStringLiteral("on disk\n"));
    QCOMPARE(w->form->document().CurrentFile(), named);
}

// Asked whether to be the handler of text files and already being it, the program shows no
// question and takes the read it started.
void TestForm1::readIsTakenWhenAlreadyTheHandler()
{
    const QString handled = w->writeFile(QStringLiteral("handled.txt"), "on disk\r\n");
    w->registry->addKey(Association::commandKey());
    w->registry->setStored(Association::commandKey(),
        QByteArray(),
        { Registry::TypeText,
            Association::expectedCommand(FakeWindow::programFolder()).toUtf8() + '\0' });
    GatedFileStore ready("read early\r\n");
    ready.open();
    DocumentRead handledRead(ready, handled);
    w->form->startUp({ QStringLiteral("OmrikNote"), handled }, &handledRead);
    QVERIFY(w->modalsShown.isEmpty());
    QCOMPARE(w->form->textBox()->text(), QStringLiteral("read early\n"));
}

// While the association question is open the file may change; what was read before it is
// not shown, and a save cannot put the old text back.
void TestForm1::fileChangedDuringTheQuestionIsReadAgain()
{
    const QString changing = w->writeFile(QStringLiteral("changing.txt"), "old text\r\n");
    GatedFileStore before("old text\r\n");
    before.open();
    DocumentRead beforeQuestion(before, changing);
    w->onModal = [&](QDialog &dialog) {
        w->writeFile(QStringLiteral("changing.txt"), "new text\r\n");
        dialog.close();
    };
    w->form->startUp({ QStringLiteral("OmrikNote"), changing }, &beforeQuestion);
    QCOMPARE(w->modalsShown, QStringList { QStringLiteral("Form2") });
    QCOMPARE(w->form->textBox()->text(), QStringLiteral("new text\n"));
}

void TestForm1::startUpAppliesStoredSettings()
{
    w->settings->values = {
        { "Options/CheckDefault", "No" },
        { "Font/FontName", "DejaVu Serif" },
        { "Font/FontSize", "10.5" },
        { "Font/Italic", "True" },
        { "Font/Color", "255" },
        { "Options/Wordwrap", "True" },
        { "Options/Background", "4" },
        { "FormPlacement/Width", "6000" },
        { "FormPlacement/Height", "4500" },
        { "FormPlacement/Left", "300" },
        { "FormPlacement/Top", "150" },
    };
    w->form->startUp({ QStringLiteral("OmrikNote") });
    const ControlFont font = w->form->textBox()->controlFont();
    QCOMPARE(font.name, QStringLiteral("DejaVu Serif"));
    QCOMPARE(font.size, 10.5);
    QVERIFY(font.italic && !font.bold);
    QCOMPARE(w->form->textBox()->foreColor(), 255u);
    QVERIFY(w->form->textBox()->wordWrap());
    QVERIFY(w->form->menuAction(QStringLiteral("mnuWordwrap"))->isChecked());
    QCOMPARE(w->form->background().BackgroundIndex, 4);
    QCOMPARE(w->form->background().ConfirmedBackgroundIndex, qint16(4));
    QVERIFY(w->form->image()->Picture().isNull());
    QCOMPARE(w->form->geometry(), QRect(20, 10, 400, 300));
    QVERIFY(!w->form->document().TextChanged());
    QCOMPARE(w->registry->openCalls, 0);
}

void TestForm1::unusableGeometryGetsTheDefault_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QSize>("size");
    QTest::newRow("width 1") << "Width"
                             << "1" << QSize(509, 376);
    QTest::newRow("width a twip short of the toolbar's buttons") << "Width"
                                                                 << "3644" << QSize(509, 376);
    QTest::newRow("width that just holds the toolbar's buttons") << "Width"
                                                                 << "3645" << QSize(243, 376);
    QTest::newRow("width of 32768 pixels") << "Width"
                                           << "491520" << QSize(509, 376);
    QTest::newRow("height of 32767 pixels") << "Height"
                                            << "491505" << QSize(509, 32767);
    QTest::newRow("height far beyond") << "Height"
                                       << "200000000" << QSize(509, 376);
}

void TestForm1::unusableGeometryGetsTheDefault()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(QSize, size);
    w->settings->values = {
        { "Options/CheckDefault", "No" },
        { "FormPlacement/Left", "0" },
        { "FormPlacement/Top", "0" },
        { "FormPlacement/" + key, stored },
    };
    w->form->startUp({ QStringLiteral("OmrikNote") });
    QCOMPARE(w->form->geometry(), QRect(QPoint(0, 0), size));
}

void TestForm1::associationOfferComesBeforeTheWindow()
{
    bool windowVisible = true;
    w->onModal = [&](QDialog &dialog) {
        windowVisible = w->form->isVisible();
        dialog.close();
    };
    w->form->startUp({ QStringLiteral("OmrikNote") });
    QCOMPARE(w->modalsShown, QStringList { QStringLiteral("Form2") });
    QVERIFY(!windowVisible);
    QCOMPARE(w->registry->openCalls, 1);
}

void TestForm1::settingsWrittenAtTheEndComeBack()
{
    w->settings->values.insert(QStringLiteral("Options/CheckDefault"), QStringLiteral("No"));
    w->form->startUp({ QStringLiteral("OmrikNote") });
    QCOMPARE(w->form->background().BackgroundIndex, 3);
    QVERIFY(!w->form->image()->Picture().isNull());
    w->form->textBox()->setControlFont(
        ControlFont { QStringLiteral("DejaVu Sans Mono"), 8.25, true });
    w->form->menuAction(QStringLiteral("mnuWordwrap"))->trigger();
    w->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->form.get()));
    w->form->setGeometry(30, 40, 450, 320);
    QTRY_COMPARE(w->form->geometry(), QRect(30, 40, 450, 320));
    const QRect outer = w->form->frameGeometry();
    QVERIFY(w->form->close());
    const QMap<QString, QString> written = w->settings->values;

    w = std::make_unique<FakeWindow>();
    w->settings->values = written;
    w->form->startUp({ QStringLiteral("OmrikNote") });
    w->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->form.get()));
    QTRY_COMPARE(w->form->frameGeometry(), outer);
    QCOMPARE(w->form->textBox()->controlFont(),
        (ControlFont { QStringLiteral("DejaVu Sans Mono"), 8.25, true }));
    QVERIFY(w->form->textBox()->wordWrap());
    QCOMPARE(w->settings->values.value("Font/Color"), QStringLiteral("-2147483640"));
}

void TestForm1::largeFileLoadsWhileTheWindowAnswers()
{
    // The store takes its time, so that the load outlasts the first quiet moments of the wait
    // however fast this machine reads.
    w = std::make_unique<FakeWindow>(std::make_unique<SlowFileStore>());
    const QByteArray line("a line of a large document, loaded on a worker thread\r\n");
    const QString file = w->writeFile(QStringLiteral("large.txt"), line.repeated(800000));
    w->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->form.get()));
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] {
        // A close asked for in the middle of loading waits for the document.
        if (++ticks == 1)
            w->form->close();
    });
    ticker.start(5);
    w->dialog->choose(file);
    QVERIFY(w->form->commands().ButtonClick(CommandDispatcher::Open));
    ticker.stop();
    QVERIFY2(ticks > 0, "the event loop did not run while the file loaded");
    QVERIFY(w->form->isVisible());
    QCOMPARE(w->form->textBox()->textLength(), (line.size() - 1) * 800000);
    QTRY_VERIFY(!w->form->isVisible());
}

void TestForm1::typingAndDeletingLeavesModified()
{
    TextControl *box = w->form->textBox();
    QTest::keyClick(box, Qt::Key_A);
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text(), QString());
    QVERIFY(w->form->document().TextChanged());
    w->prompter->answerMessage(MsgBox::Cancel);
    QVERIFY(!w->form->commands().ButtonClick(CommandDispatcher::New));
    QCOMPARE(w->prompter->messages.constFirst().text,
        QStringLiteral("The file (Untitled) has changed.\rDo you wish to save changes?"));
}

void TestForm1::classicClipboardKeys_data()
{
    QTest::addColumn<QKeyCombination>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("clipboard");
    QTest::newRow("Shift+Delete cuts") << (Qt::SHIFT | Qt::Key_Delete) << "one "
                                       << "two";
    QTest::newRow("Ctrl+Insert copies") << (Qt::CTRL | Qt::Key_Insert) << "one two"
                                        << "two";
    QTest::newRow("Shift+Insert pastes") << (Qt::SHIFT | Qt::Key_Insert) << "one pasted"
                                         << "pasted";
}

// The keys every standard edit control takes go through the menu's commands, as its own do.
void TestForm1::classicClipboardKeys()
{
    QFETCH(QKeyCombination, keys);
    QFETCH(QString, text);
    QFETCH(QString, clipboard);
    w->form->show();
    QVERIFY(QTest::qWaitForWindowActive(w->form.get()));
    TextControl *box = w->form->textBox();
    box->setText(QStringLiteral("one two"));
    box->setSelStart(4);
    box->setSelLength(3);
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    QTest::keyClick(box, keys.key(), keys.keyboardModifiers());
    QCOMPARE(box->text(), text);
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
}

OMRIK_TEST_MAIN(TestForm1)
#include "tst_form1.moc"
