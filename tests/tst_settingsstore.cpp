#include "platform/olecolor.h"
#include "settings/settingsstore.h"
#include "settings/settingtext.h"
#include "tests/support/memorysettingsfile.h"
#include "tests/support/testenvironment.h"

#include <QProcess>
#include <QtTest>

namespace {

// A 1024 x 768 screen at 96 dots per inch.
const QSizeF Screen(15360, 11520);
const QList<QRectF> Screens { QRectF(QPointF(0, 0), Screen) };
// Windows from 3645 twips wide up to 32767 pixels.
const PlacementArea Area { Screen, Screens, 3645, 491505 };

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void leadingNumber_data();
    void leadingNumber();
    void textForms();
    void emptyStoreGivesDefaults();
    void everyKeySurvivesARestart();
    void unusableValuesFallBack_data();
    void unusableValuesFallBack();
    void placementRules_data();
    void placementRules();
    void iniFileHoldsPlainText();
    void garbageFileGivesDefaultsAndIsReplaced();
    void unreadableOrLockedStore();
    void twoProgramsEndingAtOnce();
};

void TestSettingsStore::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::newRow("[7635]") << "7635" << 7635.0;
    QTest::newRow("[-60]") << "-60" << -60.0;
    QTest::newRow("[+8.25pt] stops at the unit") << "+8.25pt" << 8.25;
    QTest::newRow("[1.2.3] one point only") << "1.2.3" << 1.2;
    QTest::newRow("[.5]") << ".5" << 0.5;
    QTest::newRow("[8,25] only a point is decimal") << "8,25" << 8.0;
    QTest::newRow("[abc] no number") << "abc" << -1.0;
    QTest::newRow("[ 12] leading space is not a number") << " 12" << -1.0;
    QTest::newRow("[] empty") << "" << -1.0;
}

void TestSettingsStore::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, number);
    QCOMPARE(SettingText::leadingNumber(text).value_or(-1), number);
}

void TestSettingsStore::textForms()
{
    QCOMPARE(SettingText::geometry(7635), QStringLiteral("7635"));
    QCOMPARE(SettingText::geometry(-60), QStringLiteral("-60"));
    QCOMPARE(SettingText::geometry(3862.5), QStringLiteral("3862.5"));
    QCOMPARE(SettingText::geometry(0.1), QStringLiteral("0.1"));
    QCOMPARE(SettingText::geometry(100000), QStringLiteral("100000"));
    QCOMPARE(SettingText::geometry(-200000), QStringLiteral("-200000"));
    QCOMPARE(SettingText::fontSize(8.25), QStringLiteral("8.25"));
    QCOMPARE(SettingText::fontSize(10), QStringLiteral("10"));
    QCOMPARE(SettingText::fontSize(10.123456), QStringLiteral("10.1235"));
    QCOMPARE(SettingText::colour(SystemWindowText), QStringLiteral("-2147483640"));
    QCOMPARE(SettingText::colour(0x0000FF), QStringLiteral("255"));
    QCOMPARE(SettingText::readColour(QStringLiteral("-2147483640")).value(), SystemWindowText);
    QVERIFY(!SettingText::readColour(QStringLiteral("red")));
    QVERIFY(!SettingText::readFlag(QStringLiteral("true")));
}

void TestSettingsStore::emptyStoreGivesDefaults()
{
    MemorySettingsFile file;
    const StartupSettings read = SettingsStore(file).read(Area);
    QCOMPARE(read.placement.width, 7635.0);
    QCOMPARE(read.placement.height, 5640.0);
    QCOMPARE(read.placement.left, 3862.0); // 3862.5 rounds to the even neighbour
    QCOMPARE(read.placement.top, 2940.0);
    QVERIFY(!read.placement.maximized);
    QCOMPARE(read.font.name, QStringLiteral("MS Sans Serif"));
    QCOMPARE(read.font.size, 8.0);
    QVERIFY(
        !read.font.bold && !read.font.italic && !read.font.strikethrough && !read.font.underline);
    QCOMPARE(read.color, SystemWindowText);
    QVERIFY(!read.wordWrap);
    QCOMPARE(read.background, 3);
    QVERIFY(read.checkDefault);
    QVERIFY(file.writes.isEmpty());
}

void TestSettingsStore::everyKeySurvivesARestart()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("OmrikNote.ini"));
    SessionSettings saved;
    saved.placement = { 120, -60, 9000, 6000, false };
    saved.font = { QStringLiteral("DejaVu Serif, Book"), 10.5, true, false, true, false };
    saved.color = 0x00336699;
    saved.wordWrap = true;
    saved.background = 5;
    {
        IniSettingsFile file(path);
        SettingsStore(file).SaveRegisterSettings(saved);
    }
    IniSettingsFile reopened(path);
    const StartupSettings read = SettingsStore(reopened).read(Area);
    QCOMPARE(read.placement.left, 120.0);
    QCOMPARE(read.placement.top, -60.0);
    QCOMPARE(read.placement.width, 9000.0);
    QCOMPARE(read.placement.height, 6000.0);
    QCOMPARE(read.font, saved.font);
    QCOMPARE(read.color, saved.color);
    QCOMPARE(read.wordWrap, true);
    QCOMPARE(read.background, 5);

    MemorySettingsFile memory;
    SettingsStore(memory).SaveRegisterSettings(saved);
    QCOMPARE(memory.writes,
        QStringList({ "FormPlacement/Width",
            "FormPlacement/Height",
            "FormPlacement/Left",
            "FormPlacement/Top",
            "Font/FontName",
            "Font/FontSize",
            "Font/Bold",
            "Font/Italic",
            "Font/Strikethru",
            "Font/Underline",
            "Font/Color",
            "Options/Wordwrap",
            "Options/Background" }));
    QCOMPARE(memory.values.value("Font/Italic"), QStringLiteral("False"));
    QCOMPARE(memory.syncs, 1);
}

void TestSettingsStore::unusableValuesFallBack_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("read");
    QTest::newRow("Background 2.7 rounds down") << "Options/Background"
                                                << "2.7"
                                                << "2";
    QTest::newRow("Background 4, no picture") << "Options/Background"
                                              << "4"
                                              << "4";
    QTest::newRow("Background 7 out of range") << "Options/Background"
                                               << "7"
                                               << "3";
    QTest::newRow("Background -1 out of range") << "Options/Background"
                                                << "-1"
                                                << "3";
    QTest::newRow("Background not a number") << "Options/Background"
                                             << "blue"
                                             << "3";
    QTest::newRow("Width not a number") << "FormPlacement/Width"
                                        << "wide"
                                        << "7635";
    QTest::newRow("Width zero") << "FormPlacement/Width"
                                << "0"
                                << "7635";
    QTest::newRow("Width absurd") << "FormPlacement/Width"
                                  << "99999999999999"
                                  << "7635";
    QTest::newRow("FontSize 10.5") << "Font/FontSize"
                                   << "10.5"
                                   << "10.5";
    QTest::newRow("FontSize zero") << "Font/FontSize"
                                   << "0"
                                   << "8";
    QTest::newRow("FontSize with a comma reads its whole part") << "Font/FontSize"
                                                                << "10,5"
                                                                << "10";
    QTest::newRow("FontName empty") << "Font/FontName"
                                    << ""
                                    << "MS Sans Serif";
    QTest::newRow("Color not a number") << "Font/Color"
                                        << "red"
                                        << "-2147483640";
    QTest::newRow("Color beyond 32 bits") << "Font/Color"
                                          << "99999999999"
                                          << "-2147483640";
    QTest::newRow("Bold in lower case") << "Font/Bold"
                                        << "true"
                                        << "False";
    QTest::newRow("Wordwrap True") << "Options/Wordwrap"
                                   << "True"
                                   << "True";
    QTest::newRow("CheckDefault Yes") << "Options/CheckDefault"
                                      << "Yes"
                                      << "True";
    QTest::newRow("CheckDefault yes in other case") << "Options/CheckDefault"
                                                    << "yes"
                                                    << "False";
    QTest::newRow("CheckDefault No") << "Options/CheckDefault"
                                     << "No"
                                     << "False";
}

void TestSettingsStore::unusableValuesFallBack()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(QString, read);
    MemorySettingsFile file;
    file.values.insert(key, stored);
    const StartupSettings settings = SettingsStore(file).read(Area);
    const QMap<QString, QString> seen {
        { "Options/Background", QString::number(settings.background) },
        { "FormPlacement/Width", SettingText::geometry(settings.placement.width) },
        { "Font/FontSize", SettingText::fontSize(settings.font.size) },
        { "Font/FontName", settings.font.name },
        { "Font/Color", SettingText::colour(settings.color) },
        { "Font/Bold", SettingText::flag(settings.font.bold) },
        { "Options/Wordwrap", SettingText::flag(settings.wordWrap) },
        { "Options/CheckDefault", SettingText::flag(settings.checkDefault) },
    };
    QCOMPARE(seen.value(key), read);
}

void TestSettingsStore::placementRules_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QRectF>("expected");
    QTest::addColumn<bool>("maximized");
    QTest::newRow("height 300 resets the size, stored position kept")
        << QStringList { "Height=300", "Left=600", "Top=900" } << QRectF(600, 900, 7635, 5640)
        << false;
    QTest::newRow("height 300 without position: centred on the old size")
        << QStringList { "Height=300" } << QRectF(3862, 5610, 7635, 5640) << false;
    QTest::newRow("height exactly 450: no reset")
        << QStringList { "Height=450", "Left=0", "Top=0" } << QRectF(0, 0, 7635, 450) << false;
    QTest::newRow("larger than the screen: maximised, restored centred")
        << QStringList { "Width=15400", "Height=11100", "Left=10", "Top=10" }
        << QRectF(3862.5, 2940, 7635, 5640) << true;
    QTest::newRow("wider but not taller: normal with the stored size")
        << QStringList { "Width=15400", "Height=11020", "Left=-20", "Top=0" }
        << QRectF(-20, 0, 15400, 11020) << false;
    QTest::newRow("entirely off the screen: centred")
        << QStringList { "Left=40000", "Top=100" } << QRectF(3862.5, 2940, 7635, 5640) << false;
    QTest::newRow("partly off the screen: kept")
        << QStringList { "Left=15000", "Top=100" } << QRectF(15000, 100, 7635, 5640) << false;
}

void TestSettingsStore::placementRules()
{
    QFETCH(QStringList, stored);
    QFETCH(QRectF, expected);
    QFETCH(bool, maximized);
    MemorySettingsFile file;
    for (const QString &entry : stored)
        file.values.insert(
            QStringLiteral("FormPlacement/") + entry.section('=', 0, 0), entry.section('=', 1));
    const WindowPlacement placement = SettingsStore(file).read(Area).placement;
    QCOMPARE(QRectF(placement.left, placement.top, placement.width, placement.height), expected);
    QCOMPARE(placement.maximized, maximized);
}

void TestSettingsStore::iniFileHoldsPlainText()
{
#ifdef Q_OS_WIN
    QSKIP("the reading program is Python, which a Windows program under Wine cannot start");
#endif
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("OmrikNote.ini"));
    {
        IniSettingsFile file(path);
        SessionSettings session;
        session.placement = { 3862.5, 2940, 7635, 5640, false };
        session.font = { QStringLiteral("MS Sans Serif"), 8.25 };
        session.color = SystemWindowText;
        session.background = 3;
        SettingsStore(file).SaveRegisterSettings(session);
    }
    const QString script = QStringLiteral(
        "import configparser,sys\n"
        "c=configparser.ConfigParser(interpolation=None); c.optionxform=str; c.read(sys.argv[1])\n"
        "for s in c.sections():\n"
        "    for k,v in c.items(s): print(s+'/'+k+'='+v)\n");
    QProcess python;
    python.start(QStringLiteral("python3"), { QStringLiteral("-c"), script, path });
    QVERIFY(python.waitForFinished(30000));
    const QStringList lines
        = QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines,
        QStringList({ "Font/Bold=False",
            "Font/Color=-2147483640",
            "Font/FontName=MS Sans Serif",
            "Font/FontSize=8.25",
            "Font/Italic=False",
            "Font/Strikethru=False",
            "Font/Underline=False",
            "FormPlacement/Height=5640",
            "FormPlacement/Left=3862.5",
            "FormPlacement/Top=2940",
            "FormPlacement/Width=7635",
            "Options/Background=3",
            "Options/Wordwrap=False" }));
}

void TestSettingsStore::garbageFileGivesDefaultsAndIsReplaced()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("OmrikNote.ini"));
    QFile garbage(path);
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    for (int i = 0; i < 8192; ++i)
        garbage.putChar(char((i * 131 + 7) % 256));
    garbage.close();
    {
        IniSettingsFile file(path);
        SettingsStore store(file);
        const StartupSettings read = store.read(Area);
        QCOMPARE(read.background, 3);
        QCOMPARE(read.font.name, QStringLiteral("MS Sans Serif"));
        store.SaveRegisterSettings(read);
    }
    IniSettingsFile reopened(path);
    QCOMPARE(
        reopened.value(QStringLiteral("Options"), QStringLiteral("Background")).value_or(QString()),
        QStringLiteral("3"));
}

void TestSettingsStore::unreadableOrLockedStore()
{
#ifndef Q_OS_UNIX
    QSKIP("file permissions here are POSIX permissions");
#endif
    if (runningAsRoot())
        QSKIP("root reads and writes everything; this case runs again as an ordinary user");
    QTemporaryDir folder;
    const QString unreadable = folder.filePath(QStringLiteral("unreadable.ini"));
    QFile stored(unreadable);
    QVERIFY(stored.open(QIODevice::WriteOnly));
    stored.write("[Options]\nBackground=5\n");
    stored.close();
    QVERIFY(QFile::setPermissions(unreadable, QFileDevice::Permissions()));
    IniSettingsFile hidden(unreadable);
    QCOMPARE(SettingsStore(hidden).read(Area).background, 3);

    const QString locked = folder.filePath(QStringLiteral("locked"));
    QVERIFY(QDir().mkpath(locked));
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    {
        IniSettingsFile file(locked + QStringLiteral("/OmrikNote.ini"));
        SettingsStore store(file);
        store.SaveRegisterSettings(store.read(Area));
    }
    QVERIFY(!QFile::exists(locked + QStringLiteral("/OmrikNote.ini")));
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void TestSettingsStore::twoProgramsEndingAtOnce()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("OmrikNote.ini"));
    QProcess first;
    QProcess second;
    first.start(
        QStringLiteral(SETTINGS_WRITER), { path, QStringLiteral("1"), QStringLiteral("200") });
    second.start(
        QStringLiteral(SETTINGS_WRITER), { path, QStringLiteral("2"), QStringLiteral("200") });
    QVERIFY(first.waitForFinished(120000) && second.waitForFinished(120000));
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(second.exitCode(), 0);

    IniSettingsFile file(path);
    const StartupSettings read = SettingsStore(file).read(Area);
    const int tag = read.background;
    QVERIFY(tag == 1 || tag == 2);
    QCOMPARE(read.font.name, QStringLiteral("Writer %1").arg(tag));
    QCOMPARE(read.placement.width, 4000.0 * tag);
    QCOMPARE(read.placement.height, 4000.0 * tag);
    QCOMPARE(file.value(QStringLiteral("Font"), QStringLiteral("Underline")).value_or(QString()),
        QStringLiteral("False"));
}

OMRIK_TEST_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
