#include "platform/filestore.h"
#include "platform/freememory.h"
#include "tests/support/testenvironment.h"

#include <QProcess>
#include <QScopeGuard>
#include <QStorageInfo>
#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

class TestFileStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void readFailures_data();
    void readFailures();
    void writeFailuresKeepTheOldFile_data();
    void writeFailuresKeepTheOldFile();
    void writeIntoProcIsNoFullDisk();
    void permissionFailures();
    void saveReplacesContentsAndKeepsPermissions();
    void fifoIsRefusedWithoutBlocking();
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
    void saveKeepsWhatTheFileIs_data();
    void saveKeepsWhatTheFileIs();
    void symbolicLinkKeepsTheLink();
    void hardLinksAllSeeTheNewText();
    void partsFailingHalfWayKeepTheOldFile_data();
    void partsFailingHalfWayKeepTheOldFile();
    void largeFileIsReadWhole_data();
    void largeFileIsReadWhole();
    void fileLargerThanFreeMemoryIsRefused();
    void fileBeyondTheAddressSpaceIsRefused();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void writeRaw(const QString &name, const QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
    DiskFileStore m_store;
};

void TestFileStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QDir(m_dir->path()).mkdir(QStringLiteral("folder"));
    writeRaw(QStringLiteral("old.txt"), "old text\r\n");
    QVERIFY(QFile::link(path(QStringLiteral("loop.txt")), path(QStringLiteral("loop 2.txt"))));
    QVERIFY(QFile::link(path(QStringLiteral("loop 2.txt")), path(QStringLiteral("loop.txt"))));
}

void TestFileStore::writeRaw(const QString &name, const QByteArray &bytes)
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestFileStore::readFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file") << "missing.txt"
                                  << "53 - File not found";
    QTest::newRow("missing folder") << "nowhere/missing.txt"
                                    << "76 - Path not found";
    QTest::newRow("a folder") << "folder"
                              << "75 - Path/File access error";
    QTest::newRow("empty name") << ""
                                << "52 - Bad file name";
    QTest::newRow("loop of links") << "loop.txt"
                                   << "1004 - Loop of symbolic links";
    QTest::newRow("through a loop of links") << "loop.txt/inside.txt"
                                             << "1004 - Loop of symbolic links";
    QTest::newRow("name too long") << QString(300, QLatin1Char('n')) << "52 - File name too long";
}

void TestFileStore::readFailures()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    const Result<QByteArray> result = m_store.readFile(name.isEmpty() ? QString() : path(name));
    QVERIFY(!result.ok());
    QCOMPARE(result.failure().message(), message);
}

void TestFileStore::writeFailuresKeepTheOldFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");
    QTest::newRow("missing folder") << "nowhere/new.txt" << FailureNumber::PathNotFound;
    QTest::newRow("a folder") << "folder" << FailureNumber::PathFileAccess;
    QTest::newRow("empty name") << "" << FailureNumber::BadFileName;
    QTest::newRow("loop of links") << "loop.txt" << FailureNumber::LinkLoop;
    QTest::newRow("name too long") << QString(300, QLatin1Char('n')) << FailureNumber::BadFileName;
}

void TestFileStore::writeFailuresKeepTheOldFile()
{
    QFETCH(QString, name);
    QFETCH(int, number);
    const MaybeFailure failure
        = m_store.writeFile(name.isEmpty() ? QString() : path(name), "new\r\n");
    QVERIFY(failure);
    QCOMPARE(failure->number, number);
    QCOMPARE(m_store.readFile(path(QStringLiteral("old.txt"))).value(), QByteArray("old text\r\n"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList { QStringLiteral("old.txt") });
}

// /proc takes no new files and reports no free space; that is no full disk.
void TestFileStore::writeIntoProcIsNoFullDisk()
{
    if (QStorageInfo(QStringLiteral("/proc")).fileSystemType() != "proc")
        QSKIP("no /proc file system here");
    const MaybeFailure failure = m_store.writeFile(QStringLiteral("/proc/omriknote.txt"), "x");
    QVERIFY(failure);
    QVERIFY2(failure->number == FailureNumber::PathFileAccess
            || failure->number == FailureNumber::PermissionDenied,
        qPrintable(failure->message()));
}

void TestFileStore::permissionFailures()
{
    if (geteuid() == 0)
        QSKIP("running as root: file permissions do not stop root, so they cannot be tested here");
    const QString readOnly = path(QStringLiteral("old.txt"));
    QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner));
    const MaybeFailure onReadOnly = m_store.writeFile(readOnly, "new\r\n");
    QVERIFY(onReadOnly);
    QCOMPARE(onReadOnly->number, FailureNumber::PermissionDenied);
    QCOMPARE(m_store.readFile(readOnly).value(), QByteArray("old text\r\n"));

    QVERIFY(QFile::setPermissions(readOnly, QFileDevice::Permissions()));
    const Result<QByteArray> unreadable = m_store.readFile(readOnly);
    QVERIFY(!unreadable.ok());
    QCOMPARE(unreadable.failure().number, FailureNumber::PermissionDenied);

    const QString lockedFolder = path(QStringLiteral("folder"));
    QVERIFY(QFile::setPermissions(lockedFolder, QFile::ReadOwner | QFile::ExeOwner));
    const MaybeFailure inLockedFolder
        = m_store.writeFile(lockedFolder + QStringLiteral("/new.txt"), "x");
    QVERIFY(QFile::setPermissions(
        lockedFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(inLockedFolder);
    QCOMPARE(inLockedFolder->number, FailureNumber::PermissionDenied);
}

void TestFileStore::saveReplacesContentsAndKeepsPermissions()
{
    const QString target = path(QStringLiteral("old.txt"));
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(target, mode));
    QVERIFY(!m_store.writeFile(target, "short\n"));
    const QByteArray read = m_store.readFile(target).value();
    QCOMPARE(read, QByteArray("short\n"));
    QVERIFY2(read.capacity() < 4096, "a small file must not reserve a large buffer");
    const auto permissionBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
        | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFile::permissions(target) & permissionBits, mode);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList { QStringLiteral("old.txt") });
}

void TestFileStore::fifoIsRefusedWithoutBlocking()
{
    const QString fifo = path(QStringLiteral("pipe"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const Result<QByteArray> result = m_store.readFile(fifo);
    QVERIFY(!result.ok());
    QCOMPARE(result.failure().number, FailureNumber::PathFileAccess);
}

void TestFileStore::fullDiskKeepsTheOldFile_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("hardLinked");
    QTest::newRow("small text that fits Qt's buffer") << 4000 << false;
    QTest::newRow("large text written straight through") << 200000 << false;
    QTest::newRow("hard-linked file, written in place") << 20000 << true;
}

void TestFileStore::fullDiskKeepsTheOldFile()
{
    QFETCH(int, size);
    QFETCH(bool, hardLinked);
    if (geteuid() != 0)
        QSKIP("mounting a small tmpfs needs root; this run is not root");
    const QString mountPoint = path(QStringLiteral("small"));
    QVERIFY(QDir().mkpath(mountPoint));
    if (QProcess::execute(
            QStringLiteral("mount"), { "-t", "tmpfs", "-o", "size=64k", "tmpfs", mountPoint })
        != 0)
        QSKIP("the sandbox does not allow mounting a tmpfs");
    const auto unmount = qScopeGuard([&mountPoint] {
        QProcess::execute(QStringLiteral("umount"), { mountPoint });
    });
    const QString target = mountPoint + QStringLiteral("/letter.txt");
    QVERIFY(!m_store.writeFile(target, QByteArray(1000, 'o')));
    if (hardLinked) {
        const QByteArray second = QFile::encodeName(mountPoint + QStringLiteral("/second.txt"));
        QCOMPARE(::link(QFile::encodeName(target).constData(), second.constData()), 0);
    }
    QFile filler(mountPoint + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(4096, 'f')) == 4096) { }
    while (filler.write("f", 1) == 1) { }
    filler.close();

    const MaybeFailure failure = m_store.writeFile(target, QByteArray(size, 'n'));
    QVERIFY(failure);
    QCOMPARE(failure->message(), QStringLiteral("61 - Disk full"));
    QCOMPARE(m_store.readFile(target).value(), QByteArray(1000, 'o'));
    QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden).size(), hardLinked ? 3 : 2);
}

namespace {

enum class Keeps { Owner, Attribute, AccessList, OwnerOfAnotherUser };

// An access list as the kernel keeps it: a version, then entries of tag, permissions and id.
// The owner, the user nobody, the owning group, the mask and the others.
QByteArray accessList()
{
    QByteArray list;
    const auto add = [&list](quint16 tag, quint16 permissions, quint32 id) {
        list.append(reinterpret_cast<const char *>(&tag), 2);
        list.append(reinterpret_cast<const char *>(&permissions), 2);
        list.append(reinterpret_cast<const char *>(&id), 4);
    };
    const quint32 version = 2;
    list.append(reinterpret_cast<const char *>(&version), 4);
    add(0x01, 6, quint32(-1));
    add(0x02, 6, 65534);
    add(0x04, 4, quint32(-1));
    add(0x10, 6, quint32(-1));
    add(0x20, 4, quint32(-1));
    return list;
}

QByteArray attribute(const QString &path, const char *name)
{
    QByteArray value(256, '\0');
    const ssize_t size
        = ::getxattr(QFile::encodeName(path).constData(), name, value.data(), value.size());
    return size < 0 ? QByteArray() : value.first(size);
}

} // namespace

void TestFileStore::saveKeepsWhatTheFileIs_data()
{
    QTest::addColumn<Keeps>("keeps");
    QTest::newRow("owner, group and mode") << Keeps::Owner;
    QTest::newRow("extended attribute") << Keeps::Attribute;
    QTest::newRow("access control list") << Keeps::AccessList;
    QTest::newRow("another user's file saved by an ordinary user") << Keeps::OwnerOfAnotherUser;
}

void TestFileStore::saveKeepsWhatTheFileIs()
{
    QFETCH(Keeps, keeps);
    const QString target = path(QStringLiteral("old.txt"));
    const QByteArray name = QFile::encodeName(target);
    const bool owners = keeps == Keeps::Owner || keeps == Keeps::OwnerOfAnotherUser;
    if (owners && ::geteuid() != 0)
        QSKIP("giving a file to another user needs root");
    struct stat before;
    if (keeps == Keeps::Owner) {
        QCOMPARE(::chown(name.constData(), 65534, 65534), 0);
        QCOMPARE(::chmod(name.constData(), 02666), 0);
    }
    const char *const attributeName
        = keeps == Keeps::AccessList ? "system.posix_acl_access" : "user.origin";
    const QByteArray value
        = keeps == Keeps::AccessList ? accessList() : QByteArray("https://example.org/letter");
    if (keeps == Keeps::Attribute || keeps == Keeps::AccessList) {
        if (::setxattr(name.constData(), attributeName, value.constData(), value.size(), 0) != 0)
            QSKIP("this file system keeps no such attributes");
    }
    // The folder lets nobody replace the file, but only root may give the new one root's name.
    if (keeps == Keeps::OwnerOfAnotherUser) {
        QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::Permissions(0x7777)));
        QCOMPARE(::chmod(name.constData(), 0666), 0);
    }
    QCOMPARE(::stat(name.constData(), &before), 0);
    if (keeps == Keeps::OwnerOfAnotherUser) {
        QCOMPARE(::setegid(65534), 0);
        QCOMPARE(::seteuid(65534), 0);
    }
    const MaybeFailure failed = m_store.writeFile(target, "new text\n");
    if (keeps == Keeps::OwnerOfAnotherUser) {
        QCOMPARE(::seteuid(0), 0);
        QCOMPARE(::setegid(0), 0);
    }
    QVERIFY2(!failed, qPrintable(failed ? failed->message() : QString()));
    QCOMPARE(m_store.readFile(target).value(), QByteArray("new text\n"));
    struct stat after;
    QCOMPARE(::stat(name.constData(), &after), 0);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(after.st_mode, before.st_mode);
    if (keeps == Keeps::Attribute || keeps == Keeps::AccessList)
        QCOMPARE(attribute(target, attributeName), value);
}

void TestFileStore::symbolicLinkKeepsTheLink()
{
    const QString target = path(QStringLiteral("old.txt"));
    const QString link = path(QStringLiteral("link.txt"));
    QVERIFY(QFile::link(target, link));
    QVERIFY(!m_store.writeFile(link, "through the link\n"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(m_store.readFile(target).value(), QByteArray("through the link\n"));
}

void TestFileStore::hardLinksAllSeeTheNewText()
{
    const QString first = path(QStringLiteral("old.txt"));
    const QString second = path(QStringLiteral("second name.txt"));
    QCOMPARE(
        ::link(QFile::encodeName(first).constData(), QFile::encodeName(second).constData()), 0);
    QVERIFY(!m_store.writeFile(second, "shared\n"));
    QCOMPARE(m_store.readFile(first).value(), QByteArray("shared\n"));
    QCOMPARE(m_store.readFile(second).value(), QByteArray("shared\n"));
}

void TestFileStore::partsFailingHalfWayKeepTheOldFile_data()
{
    QTest::addColumn<bool>("hardLinked");
    QTest::newRow("replaced through a new file") << false;
    QTest::newRow("written in place, for its other links") << true;
}

// The parts of a large save are written while later ones are still being made; when a later
// one fails, the file must still hold its old text.
void TestFileStore::partsFailingHalfWayKeepTheOldFile()
{
    QFETCH(bool, hardLinked);
    const QString old = path(QStringLiteral("old.txt"));
    if (hardLinked)
        QCOMPARE(::link(QFile::encodeName(old).constData(),
                     QFile::encodeName(path(QStringLiteral("link.txt"))).constData()),
            0);
    int made = 0;
    const MaybeFailure failure = m_store.writeParts(old, [&made](QByteArray &part) -> Result<bool> {
        if (++made == 3)
            return Failure { FailureNumber::UnencodableText, QStringLiteral("unencodable") };
        part += QByteArray(1 << 20, 'x');
        return true;
    });
    QVERIFY(failure);
    QCOMPARE(failure->number, FailureNumber::UnencodableText);
    QCOMPARE(m_store.readFile(old).value(), QByteArray("old text\r\n"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), hardLinked ? 2 : 1);
}

// Sparse: takes no disk space, and is never read.
QString sparseFile(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
        return QString();
    return path;
}

void TestFileStore::largeFileIsReadWhole_data()
{
    // Large enough to be read in two halves, which then meet at an odd place or an even one.
    QTest::addColumn<qsizetype>("size");
    QTest::newRow("even") << qsizetype(80) * 1024 * 1024;
    QTest::newRow("odd") << qsizetype(80) * 1024 * 1024 + 16 * 1024 * 1024 + 3;
}

void TestFileStore::largeFileIsReadWhole()
{
    QFETCH(qsizetype, size);
    // Every 16 MiB step of the read looks different, so a step read to the wrong place shows.
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + i / 65521) & 0xff);
    writeRaw(QStringLiteral("large.txt"), bytes);
    Progress progress;
    const Result<QByteArray> read = m_store.readFile(path(QStringLiteral("large.txt")), progress);
    QVERIFY(read.ok());
    QCOMPARE(read.value().size(), size);
    QVERIFY(read.value() == bytes);
    QCOMPARE(progress.fraction(), 1.0);
}

void TestFileStore::fileLargerThanFreeMemoryIsRefused()
{
    const qint64 available = availableMemory();
    QVERIFY(available > 0);
    const QString huge
        = sparseFile(path(QStringLiteral("huge.txt")), available + (qint64(1) << 30));
    QVERIFY(!huge.isEmpty());
    const Result<QByteArray> result = m_store.readFile(huge);
    QVERIFY(!result.ok());
    QCOMPARE(result.failure().message(), QStringLiteral("7 - Out of memory"));
}

// As under `ulimit -v`, set from inside: a build with AddressSanitizer reserves terabytes of
// address space before main(), so the limit is counted from what the process already holds.
void TestFileStore::fileBeyondTheAddressSpaceIsRefused()
{
    if (!qEnvironmentVariableIsSet("OMRIK_LIMIT_ADDRESS_SPACE"))
        QSKIP("run by tst_filestore_address_space, which also lets the allocator fail");
    QFile status(QStringLiteral("/proc/self/status"));
    QVERIFY(status.open(QIODevice::ReadOnly));
    const QByteArray fields = status.readAll();
    const qsizetype at = fields.indexOf("VmSize:");
    QVERIFY(at >= 0);
    const qint64 used = fields.mid(at + 7).trimmed().split(' ').value(0).toLongLong() * 1024;
    QVERIFY(used > 0);
    const qint64 room = qint64(512) << 20;
    const QString big = sparseFile(path(QStringLiteral("big.txt")), 2 * room);
    QVERIFY(!big.isEmpty());
    rlimit limit;
    QCOMPARE(getrlimit(RLIMIT_AS, &limit), 0);
    const rlimit unlimited = limit;
    limit.rlim_cur = rlim_t(used + room);
    QCOMPARE(setrlimit(RLIMIT_AS, &limit), 0);
    const Result<QByteArray> result = m_store.readFile(big);
    QCOMPARE(setrlimit(RLIMIT_AS, &unlimited), 0);
    QVERIFY(!result.ok());
    QCOMPARE(result.failure().message(), QStringLiteral("7 - Out of memory"));
}

OMRIK_TEST_MAIN(TestFileStore)
#include "tst_filestore.moc"
