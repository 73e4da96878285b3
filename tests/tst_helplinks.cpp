#include "dialogs/frminfo.h"
#include "dialogs/helplinks.h"
#include "dialogs/linklabel.h"
#include "platform/olecolor.h"
#include "tests/support/fakewindow.h"
#include "tests/support/testenvironment.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

// The Help menu's links and the About box, against a shell that only records.
class TestHelpLinks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void eachTriggerOpensOneLink_data();
    void eachTriggerOpensOneLink();
    void otherClicksOpenNothing();
    void aboutBoxLayout();
    void aboutBoxIsHiddenAndShownAgain();
    void linksAreLinksToScreenReaders_data();
    void linksAreLinksToScreenReaders();

private:
    QWidget *showAboutBox();

    std::unique_ptr<FakeWindow> w;
};

void TestHelpLinks::init()
{
    w = std::make_unique<FakeWindow>();
}

void TestHelpLinks::cleanup()
{
    w->verifyScriptsUsed();
    w.reset();
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

QWidget *TestHelpLinks::showAboutBox()
{
    frmInfo *about = w->form->aboutBox();
    about->show();
    if (!QTest::qWaitForWindowExposed(about))
        qWarning("the About box was not exposed");
    return about;
}

void TestHelpLinks::eachTriggerOpensOneLink_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<bool>("fromAboutBox");
    QTest::addColumn<QString>("target");
    QTest::newRow("Help menu, home page")
        << "mnuInternet" << false << "https://www.example.org/omrik/";
    QTest::newRow("Help menu, e-mail") << "mnuSendMail" << false << "mailto:author@example.org";
    QTest::newRow("About box, home page label")
        << "Label8" << true << "https://www.example.org/omrik/";
    QTest::newRow("About box, e-mail label") << "Label5" << true << "mailto:author@example.org";
}

void TestHelpLinks::eachTriggerOpensOneLink()
{
    QFETCH(QString, trigger);
    QFETCH(bool, fromAboutBox);
    QFETCH(QString, target);
    QWidget *owner = w->form.get();
    if (fromAboutBox) {
        owner = showAboutBox();
        QTest::mouseClick(owner->findChild<LinkLabel *>(trigger), Qt::LeftButton);
    } else {
        w->form->menuAction(trigger)->trigger();
    }
    QCOMPARE(w->shell->calls.size(), 1);
    const RecordingShell::Call &call = w->shell->calls.constFirst();
    QCOMPARE(call.owner.data(), owner);
    QCOMPARE(call.verb, QStringLiteral("Open"));
    QCOMPARE(call.target, target);
    QCOMPARE(call.parameters, QString());
    QCOMPARE(call.folder, FakeWindow::programFolder());
    QCOMPARE(call.showCommand, 1);
}

void TestHelpLinks::otherClicksOpenNothing()
{
    QWidget *about = showAboutBox();
    for (const char *name : { "Label7", "Label4", "Label2", "Label6", "Image1", "Image2" })
        QTest::mouseClick(about->findChild<QLabel *>(QLatin1String(name)), Qt::LeftButton);
    // A press that ends outside the link is no click.
    auto *link = about->findChild<LinkLabel *>(QStringLiteral("Label8"));
    QTest::mousePress(link, Qt::LeftButton);
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, -5));
    QTest::mouseClick(link, Qt::RightButton);
    QVERIFY(w->shell->calls.isEmpty());
    QVERIFY(about->isVisible());
}

void TestHelpLinks::aboutBoxLayout()
{
    QWidget *about = showAboutBox();
    QCOMPARE(about->windowTitle(), QStringLiteral("OmrikNote Info"));
    QCOMPARE(about->size(), QSize(344, 183));
    auto label = [about](const char *name) {
        return about->findChild<QLabel *>(QLatin1String(name));
    };
    QCOMPARE(label("Label8")->text(), HelpLinks::homePageText());
    QCOMPARE(label("Label5")->text(), QStringLiteral("author@example.org"));
    QCOMPARE(label("Label8")->toolTip(), QStringLiteral("Visit OMRIK - The Mavren"));
    QCOMPARE(label("Label5")->toolTip(), QStringLiteral("Send e-mail"));
    for (const char *name : { "Label8", "Label5" }) {
        QCOMPARE(label(name)->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(label(name)->cursor().pixmap().size(), QSize(32, 32));
        QVERIFY(label(name)->font().underline());
        QCOMPARE(label(name)->font().pointSizeF(), 8.25);
        QCOMPARE(label(name)->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    }
    const QFont title = label("Label1")->font();
    QVERIFY(title.bold() && title.underline());
    QCOMPARE(title.pointSizeF(), 14.25);
    QCOMPARE(label("Label1")->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    QCOMPARE(label("Label3")->text(), QStringLiteral("1.0"));
    QVERIFY(label("Label3")->x() > label("Label1")->geometry().right());
    QCOMPARE(label("Image1")->pixmap().size(), QSize(57, 162));
    QCOMPARE(label("Image2")->pixmap().size(), QSize(32, 32));
    QVERIFY(label("Image1")->geometry().contains(label("Image2")->geometry()));

    auto *ok = about->findChild<QPushButton *>(QStringLiteral("Command1"));
    QVERIFY(ok->isDefault());
    QCOMPARE(QApplication::focusWidget(), ok);
    for (QWidget *child : about->findChildren<QWidget *>())
        QCOMPARE(child->focusPolicy() != Qt::NoFocus, child == ok);
}

void TestHelpLinks::aboutBoxIsHiddenAndShownAgain()
{
    QList<QDialog *> seen;
    w->onModal = [&](QDialog &shown) {
        seen << &shown;
        shown.show();
        // Enter presses OK, which only hides the box.
        QTest::keyClick(&shown, Qt::Key_Return);
        QVERIFY(!shown.isVisible());
    };
    w->form->menuAction(QStringLiteral("mnuInfo"))->trigger();
    w->form->menuAction(QStringLiteral("mnuInfo"))->trigger();
    QCOMPARE(w->modalsShown, QStringList({ "frmInfo", "frmInfo" }));
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen.at(0), seen.at(1));
    QCOMPARE(seen.at(0), w->form->aboutBox());
}

void TestHelpLinks::linksAreLinksToScreenReaders_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("target");
    QTest::newRow("home page") << "Label8"
                               << "https://www.example.org/omrik/"
                               << "Visit OMRIK - The Mavren"
                               << "https://www.example.org/omrik/";
    QTest::newRow("e-mail") << "Label5"
                            << "author@example.org"
                            << "Send e-mail"
                            << "mailto:author@example.org";
}

// A link says what it shows and what its tooltip says, takes no focus, as before, and a
// screen reader's press opens what a click opens.
void TestHelpLinks::linksAreLinksToScreenReaders()
{
    QFETCH(QString, label);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QString, target);
    QWidget *about = showAboutBox();
    QAccessibleInterface *accessible
        = QAccessible::queryAccessibleInterface(about->findChild<LinkLabel *>(label));
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::Link);
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(accessible->text(QAccessible::Description), description);
    QVERIFY(accessible->state().linked);
    QVERIFY(!accessible->state().focusable);
    QVERIFY(w->shell->calls.isEmpty());
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(w->shell->calls.size(), 1);
    QCOMPARE(w->shell->calls.constFirst().owner.data(), about);
    QCOMPARE(w->shell->calls.constFirst().target, target);
    QVERIFY(about->isVisible());
}

OMRIK_TEST_MAIN(TestHelpLinks)
#include "tst_helplinks.moc"
