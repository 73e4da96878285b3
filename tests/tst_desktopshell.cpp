#include "platform/shell.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The real shell call on Linux, with a stand-in xdg-open first on PATH that writes down what
// it was given and where it ran.
class TestDesktopShell : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void linkGoesToXdgOpen_data();
    void linkGoesToXdgOpen();

private:
    QTemporaryDir m_bin;
    QByteArray m_path;
};

void TestDesktopShell::initTestCase()
{
#ifdef Q_OS_WIN
    QSKIP("the Windows shell is not started in tests");
#endif
    QVERIFY(m_bin.isValid());
    QFile script(m_bin.filePath(QStringLiteral("xdg-open")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n"
                 "printf '%s\\n%s\\n%s\\n' \"$#\" \"$1\" \"$PWD\" > \"$OMRIK_RECORD.tmp\"\n"
                 "mv \"$OMRIK_RECORD.tmp\" \"$OMRIK_RECORD\"\n");
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    m_path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(m_bin.path()) + ':' + m_path);
}

void TestDesktopShell::cleanupTestCase()
{
    // Also runs after a skipped start, which found no PATH to keep.
    if (!m_path.isNull())
        qputenv("PATH", m_path);
}

void TestDesktopShell::linkGoesToXdgOpen_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("home page") << "https://www.example.org/omrik/";
    QTest::newRow("mail link") << "mailto:author@example.org";
}

void TestDesktopShell::linkGoesToXdgOpen()
{
    QFETCH(QString, target);
    QTemporaryDir folder;
    const QString record = QDir(m_bin.path()).filePath(QStringLiteral("record"));
    QFile::remove(record);
    qputenv("OMRIK_RECORD", QFile::encodeName(record));
    DesktopShell shell;
    shell.openTarget(nullptr, QStringLiteral("Open"), target, QString(), folder.path(), 1);
    QTRY_VERIFY(QFile::exists(record));
    QFile written(record);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(written.readAll()).split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QStringLiteral("1"));
    QCOMPARE(lines.value(1), target);
    QCOMPARE(QFileInfo(lines.value(2)).canonicalFilePath(),
        QFileInfo(folder.path()).canonicalFilePath());
}

OMRIK_TEST_MAIN(TestDesktopShell)
#include "tst_desktopshell.moc"
