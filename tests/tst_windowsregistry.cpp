#include "platform/windowsregistry.h"
#include "settings/association.h"
#include "tests/support/testenvironment.h"

#include <QtTest>

#include <windows.h>

// The real advapi32 calls behind the registry interface, on a key of the test's own. Only
// under Wine, whose registry belongs to the test run's scratch prefix: on Windows the key
// would land in the user's own registry.
class TestWindowsRegistry : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void textKeepsEveryLetter_data();
    void textKeepsEveryLetter();
    void numberIsStoredAsIs();

private:
    const wchar_t *m_key = L"OmrikNote.TestKey\\shell\\open\\command";
};

void TestWindowsRegistry::initTestCase()
{
    if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        QSKIP("writes HKEY_CLASSES_ROOT, which outside Wine is the user's own");
    HKEY created = nullptr;
    QCOMPARE(
        RegCreateKeyExW(
            HKEY_CLASSES_ROOT, m_key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(created);
}

void TestWindowsRegistry::cleanupTestCase()
{
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"OmrikNote.TestKey");
}

void TestWindowsRegistry::textKeepsEveryLetter_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("ASCII") << QStringLiteral("C:\\Tools");
    QTest::newRow("Western") << QStringLiteral("C:\\Users\\Zoë\\Programs");
    QTest::newRow("beyond the code page") << QStringLiteral("C:\\Users\\Дмитрий\\程序");
    QTest::newRow("beyond the first plane") << QStringLiteral("C:\\Notes \U0001F4DD");
}

void TestWindowsRegistry::textKeepsEveryLetter()
{
    QFETCH(QString, folder);
    WindowsRegistry registry;
    // Written as the association's key is, with a backslash at the end.
    const QByteArray key = QString::fromWCharArray(m_key).toUtf8() + '\\';
    const QString command = Association::expectedCommand(folder);
    Association::SetClassesRootValue(registry, key, "", command, Registry::TypeText);

    // As another program reads it.
    wchar_t stored[256] = {};
    DWORD length = sizeof stored;
    QCOMPARE(
        RegGetValueW(HKEY_CLASSES_ROOT, m_key, nullptr, RRF_RT_REG_SZ, nullptr, stored, &length),
        ERROR_SUCCESS);
    QCOMPARE(QString::fromWCharArray(stored), command);

    QCOMPARE(Association::QueryClassesRootValue(registry, key, ""), command);
    Registry::Handle handle = 0;
    QCOMPARE(registry.RegOpenKeyExA(Registry::ClassesRoot, key, 0, Registry::AllAccess, &handle),
        Registry::Success);
    const QByteArray expected = command.toUtf8() + '\0';
    quint32 type = 0;
    quint32 size = 0;
    QCOMPARE(registry.RegQueryValueExA(handle, "", &type, nullptr, &size), Registry::Success);
    QCOMPARE(size, quint32(expected.size()));
    QByteArray data;
    size = quint32(expected.size() - 1);
    QCOMPARE(registry.RegQueryValueExA(handle, "", &type, &data, &size), Registry::MoreData);
    QCOMPARE(size, quint32(expected.size()));
    QCOMPARE(registry.RegQueryValueExA(handle, "", &type, &data, &size), Registry::Success);
    QCOMPARE(data, expected);
    registry.RegCloseKey(handle);
}

void TestWindowsRegistry::numberIsStoredAsIs()
{
    WindowsRegistry registry;
    const QByteArray key = QString::fromWCharArray(m_key).toUtf8();
    Association::SetClassesRootValue(registry, key, "Count", -42, Registry::TypeNumber);
    DWORD stored = 0;
    DWORD length = sizeof stored;
    QCOMPARE(RegGetValueW(
                 HKEY_CLASSES_ROOT, m_key, L"Count", RRF_RT_REG_DWORD, nullptr, &stored, &length),
        ERROR_SUCCESS);
    QCOMPARE(qint32(stored), -42);
    QCOMPARE(Association::QueryClassesRootValue(registry, key, "Count"), QStringLiteral("-42"));
}

OMRIK_TEST_MAIN(TestWindowsRegistry)
#include "tst_windowsregistry.moc"
