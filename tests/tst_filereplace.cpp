#include "platform/filestore.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

// How a save replaces a file, on every system: the POSIX and the Windows file calls each have
// their own way of writing the new file beside the old one and putting it in its place.
class TestFileReplace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void partsFailingHalfWayKeepTheOldFile_data();
    void partsFailingHalfWayKeepTheOldFile();
};

void TestFileReplace::partsFailingHalfWayKeepTheOldFile_data()
{
    QTest::addColumn<int>("failingPart");
    QTest::newRow("first part") << 1;
    QTest::newRow("third part, after two were written") << 3;
}

// The parts of a large save are written while later ones are still being made; when one fails,
// the file keeps its old text and no new file is left beside it.
void TestFileReplace::partsFailingHalfWayKeepTheOldFile()
{
    QFETCH(int, failingPart);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString old = folder.filePath(QStringLiteral("old.txt"));
    DiskFileStore store;
    QVERIFY(!store.writeParts(old, [](QByteArray &part) -> Result<bool> {
        part = "old text\r\n";
        return false;
    }));
    int made = 0;
    const MaybeFailure failure = store.writeParts(old, [&](QByteArray &part) -> Result<bool> {
        if (++made == failingPart)
            return Failure { FailureNumber::UnencodableText, QStringLiteral("unencodable") };
        part += QByteArray(1 << 20, 'x');
        return true;
    });
    QVERIFY(failure);
    QCOMPARE(failure->number, FailureNumber::UnencodableText);
    QCOMPARE(store.readFile(old).value(), QByteArray("old text\r\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList { "old.txt" });
}

QTEST_GUILESS_MAIN(TestFileReplace)
#include "tst_filereplace.moc"
