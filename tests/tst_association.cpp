#include "platform/freedesktopregistry.h"
#include "settings/association.h"
#include "settings/form2.h"
#include "tests/support/memoryregistry.h"
#include "tests/support/memorysettingsfile.h"
#include "tests/support/testenvironment.h"

#include <QCheckBox>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QtTest>

namespace {

const QByteArray Key = Association::commandKey();

// A program folder, and the program in it, as the system writes paths.
#ifdef Q_OS_WIN
const QString Folder = QStringLiteral("C:\\Tools");
const QString Program = QStringLiteral("C:\\Tools\\OmrikNote.exe");
const QString OtherFolder = QStringLiteral("C:\\Omrik");
const QString OtherProgram = QStringLiteral("C:\\Omrik\\OmrikNote.exe");
#else
const QString Folder = QStringLiteral("/opt/tools");
const QString Program = QStringLiteral("/opt/tools/OmrikNote");
const QString OtherFolder = QStringLiteral("/opt/omrik");
const QString OtherProgram = QStringLiteral("/opt/omrik/OmrikNote");
#endif

QByteArray storedText(const QString &text)
{
    return text.toUtf8() + '\0';
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

} // namespace

class TestAssociation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void queryValueEx();
    void commandsCompare_data();
    void commandsCompare();
    void commandFromAnyFolderReadsBack();
    void checkShowsTheOfferOnlyOnAMismatch();
    void waysOutOfTheOffer_data();
    void waysOutOfTheOffer();
    void execLinesBecomeCommands_data();
    void execLinesBecomeCommands();
    void desktopBackendMakesUsTheDefault();

private:
    MemoryRegistry m_registry;
    MemorySettingsFile m_file;
};

void TestAssociation::init()
{
    m_registry = MemoryRegistry();
    m_file = MemorySettingsFile();
}

void TestAssociation::queryValueEx()
{
    m_registry.setStored(Key, "", { Registry::TypeText, QByteArray("notepad %1\0", 11) });
    QCOMPARE(Association::QueryClassesRootValue(m_registry, Key, ""), QStringLiteral("notepad %1"));

    const qint32 number = qToLittleEndian(qint32(-42));
    m_registry.setStored(
        Key, "", { Registry::TypeNumber, QByteArray(reinterpret_cast<const char *>(&number), 4) });
    QCOMPARE(Association::QueryClassesRootValue(m_registry, Key, ""), QStringLiteral("-42"));

    Registry::Handle handle = 0;
    QCOMPARE(
        m_registry.RegOpenKeyExA(Registry::ClassesRoot, Key, 0, Registry::AllAccess, &handle), 0);
    QVariant value(QStringLiteral("untouched"));
    m_registry.setStored(Key, "", { 2, QByteArray("%SystemRoot%\0", 13) });
    QCOMPARE(Association::QueryValueEx(m_registry, handle, "", value), -1L);
    QCOMPARE(value.toString(), QStringLiteral("untouched"));
    QCOMPARE(Association::QueryValueEx(m_registry, handle, "other", value), Registry::FileNotFound);
    QCOMPARE(value.toString(), QStringLiteral("untouched"));
    m_registry.RegCloseKey(handle);
    QCOMPARE(m_registry.openHandles(), 0);

    QCOMPARE(Association::QueryClassesRootValue(m_registry, "no\\such\\key", ""), QString());
}

void TestAssociation::commandsCompare_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("differ");
    QTest::newRow("same") << Program + " %1" << false;
    QTest::newRow("other letter case") << Program.toUpper() + " %1" << false;
    QTest::newRow("quoted path") << "\"" + Program + "\" %1" << true;
    QTest::newRow("quoted argument") << Program + " \"%1\"" << true;
    QTest::newRow("two spaces") << Program + "  %1" << true;
    QTest::newRow("missing") << "" << true;
}

void TestAssociation::commandsCompare()
{
    QFETCH(QString, stored);
    QFETCH(bool, differ);
    QCOMPARE(Association::commandsDiffer(stored, Association::expectedCommand(Folder)), differ);
}

void TestAssociation::commandFromAnyFolderReadsBack()
{
    // Letters that a Western ANSI code page lacks, as a user's profile folder may hold: the
    // written command must read back as the same, or every start would offer it again.
#ifdef Q_OS_WIN
    const QString folder = QStringLiteral("C:\\Users\\Дмитрий\\Programs\\OmrikNote");
#else
    const QString folder = QStringLiteral("/home/Дмитрий/OmrikNote");
#endif
    m_registry.addKey(Key);
    const QString command = Association::expectedCommand(folder);
    Association::SetClassesRootValue(m_registry, Key, "", command, Registry::TypeText);
    QCOMPARE(Association::QueryClassesRootValue(m_registry, Key, ""), command);
    SettingsStore settings(m_file);
    QVERIFY(!Form2::runCheck(m_registry, settings, folder, [](QDialog &) {}));
}

void TestAssociation::checkShowsTheOfferOnlyOnAMismatch()
{
    SettingsStore settings(m_file);
    int shown = 0;
    const auto count = [&shown](QDialog &) {
        ++shown;
    };
    m_registry.addKey(Key);
    m_registry.setStored(
        Key, "", { Registry::TypeText, storedText(Program.toLower() + QStringLiteral(" %1")) });
    QVERIFY(!Form2::runCheck(m_registry, settings, Folder, count));
    QCOMPARE(shown, 0);
    QVERIFY(Form2::runCheck(m_registry, settings, QStringLiteral("/elsewhere"), count));
    QCOMPARE(shown, 1);
}

void TestAssociation::waysOutOfTheOffer_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<bool>("registryWritten");
    QTest::addColumn<bool>("switchedOff");
    QTest::newRow("Yes, box clear") << "yes" << false << true << false;
    QTest::newRow("Yes, box ticked") << "yes" << true << true << true;
    QTest::newRow("No, box clear") << "no" << false << false << false;
    QTest::newRow("No, box ticked") << "no" << true << false << true;
    QTest::newRow("close box, box ticked") << "close" << true << false << false;
    QTest::newRow("close box, box clear") << "close" << false << false << false;
    // Keys go to the control that has the focus, starting on Yes.
    QTest::newRow("Enter on Yes, box ticked") << "Enter" << true << true << true;
    QTest::newRow("Tab to No, Enter, box clear") << "Tab Enter" << false << false << false;
    QTest::newRow("Tab to No, Enter, box ticked") << "Tab Enter" << true << false << true;
    QTest::newRow("Tab to the box, Enter") << "Tab Tab Enter" << true << true << true;
    // No key is bound to Escape: the offer is still there for the keys after it.
    QTest::newRow("Esc, then Tab to No, Enter, box ticked")
        << "Esc Tab Enter" << true << false << true;
    QTest::newRow("Esc, then Enter on Yes, box clear") << "Esc Enter" << false << true << false;
}

void TestAssociation::waysOutOfTheOffer()
{
    QFETCH(QString, way);
    QFETCH(bool, ticked);
    QFETCH(bool, registryWritten);
    QFETCH(bool, switchedOff);
    m_registry.addKey(Key);
    SettingsStore settings(m_file);
    const auto answer = [&](QDialog &dialog) {
        auto &offer = static_cast<Form2 &>(dialog);
        QVERIFY(offer.btnYes()->isDefault());
        QVERIFY(!offer.Check1()->isChecked());
        offer.show();
        QVERIFY(QTest::qWaitForWindowActive(&offer));
        offer.Check1()->setChecked(ticked);
        const QMap<QString, Qt::Key> keys {
            { "Tab", Qt::Key_Tab }, { "Enter", Qt::Key_Return }, { "Esc", Qt::Key_Escape }
        };
        if (way == QLatin1String("yes"))
            QTest::mouseClick(offer.btnYes(), Qt::LeftButton);
        else if (way == QLatin1String("no"))
            QTest::mouseClick(offer.Command1(), Qt::LeftButton);
        else if (way == QLatin1String("close"))
            offer.close();
        for (const QString &key : way.split(QLatin1Char(' '))) {
            if (keys.contains(key))
                QTest::keyClick(QApplication::focusWidget(), keys.value(key));
        }
        QVERIFY(!offer.isVisible());
    };
    const std::unique_ptr<Form2> offer = Form2::runCheck(m_registry, settings, OtherFolder, answer);
    QVERIFY(offer);
    const std::optional<MemoryRegistry::Value> value = m_registry.stored(Key, "");
    QCOMPARE(value.has_value(), registryWritten);
    if (registryWritten)
        QCOMPARE(value->data, storedText(OtherProgram + QStringLiteral(" %1")));
    QCOMPARE(m_file.values.value(QStringLiteral("Options/CheckDefault")),
        switchedOff ? QStringLiteral("No") : QString());
    QCOMPARE(m_file.writes.size(), switchedOff ? 1 : 0);
}

void TestAssociation::execLinesBecomeCommands_data()
{
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QString>("command");
    QTest::newRow("plain %U") << "/usr/bin/edit %U"
                              << "/usr/bin/edit %1";
    QTest::newRow("quoted path with a space") << "\"/opt/Omrik Note/OmrikNote\" %f"
                                              << "/opt/Omrik Note/OmrikNote %1";
    QTest::newRow("other field codes dropped") << "edit --new-window %F %i"
                                               << "edit --new-window %1";
    QTest::newRow("literal percent sign") << "\"/opt/100%%/OmrikNote\" %f"
                                          << "/opt/100%/OmrikNote %1";
    QTest::newRow("escaped backslash in quotes") << "\"/opt/a\\\\\\\\b/x\" %u"
                                                 << "/opt/a\\b/x %1";
}

void TestAssociation::execLinesBecomeCommands()
{
    QFETCH(QString, exec);
    QFETCH(QString, command);
    QCOMPARE(FreedesktopRegistry::commandFromExec(exec), command);
    QCOMPARE(FreedesktopRegistry::commandFromExec(FreedesktopRegistry::execFromCommand(command)),
        command);
}

void TestAssociation::desktopBackendMakesUsTheDefault()
{
#ifdef Q_OS_WIN
    QSKIP("Windows keeps the association in its registry; the desktop backend serves the others");
#endif
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    QVERIFY(config.contains(QStringLiteral("xdg_config_home")));
    QDir(data).mkpath(QStringLiteral("applications"));
    QFile other(data + QStringLiteral("/applications/other-editor.desktop"));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("[Desktop Entry]\nType=Application\nName=Other\nExec=/usr/bin/other-editor %U\n");
    other.close();
    QFile list(config + QStringLiteral("/mimeapps.list"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("[Added Associations]\nimage/png=viewer.desktop;\n\n[Default Applications]\n"
               "text/html=browser.desktop\ntext/plain=other-editor.desktop\n");
    list.close();

    // A desktop-specific list is read first and must follow too.
    qputenv("XDG_CURRENT_DESKTOP", "Test");
    const auto forgetDesktop = qScopeGuard([] {
        qunsetenv("XDG_CURRENT_DESKTOP");
    });
    QFile desktopList(config + QStringLiteral("/test-mimeapps.list"));
    QVERIFY(desktopList.open(QIODevice::WriteOnly));
    desktopList.write("[Default Applications]  \ntext/plain=other-editor.desktop;\n");
    desktopList.close();

    FreedesktopRegistry registry;
    QCOMPARE(Association::QueryClassesRootValue(registry, Key, ""),
        QStringLiteral("/usr/bin/other-editor %1"));
    const QString folder = QDir::tempPath() + QStringLiteral("/Omrik Note");
    const QString command = Association::expectedCommand(folder);
    Association::SetClassesRootValue(registry, Key, "", command, Registry::TypeText);

    QCOMPARE(Association::QueryClassesRootValue(registry, Key, ""), command);
    QVERIFY(!Association::commandsDiffer(
        Association::QueryClassesRootValue(registry, Key, ""), command));
    QCOMPARE(run(QStringLiteral("xdg-mime"), { "query", "default", "text/plain" }),
        QStringLiteral("omriknote.desktop"));
    QVERIFY(list.open(QIODevice::ReadOnly));
    const QString kept = QString::fromUtf8(list.readAll());
    QVERIFY(kept.contains(QStringLiteral("image/png=viewer.desktop;")));
    QVERIFY(kept.contains(QStringLiteral("text/html=browser.desktop")));
    QCOMPARE(kept.count(QStringLiteral("text/plain=")), 1);
    QVERIFY(desktopList.open(QIODevice::ReadOnly));
    const QString desktopKept = QString::fromUtf8(desktopList.readAll());
    QCOMPARE(desktopKept.count(QStringLiteral("[Default Applications]")), 1);
    QVERIFY(desktopKept.contains(QStringLiteral("text/plain=omriknote.desktop")));
}

OMRIK_TEST_MAIN(TestAssociation)
#include "tst_association.moc"
