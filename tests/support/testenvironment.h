#pragma once

#include <QTemporaryDir>

// Points HOME and the XDG folders at a temporary folder before anything reads them, so no
// test touches the real user's files.
class TestEnvironment
{
public:
    TestEnvironment();

    QString path() const { return m_home.path(); }

private:
    QTemporaryDir m_home;
};

// A file that a test prepares, or reads back; a file that cannot be prepared ends the test
// program, and one that is missing reads as "<missing>".
QString writeTestFile(const QString &path, const QByteArray &bytes);
QByteArray readTestFile(const QString &path);

// Root passes every permission check and may mount file systems; tests that depend on either
// ask first.
bool runningAsRoot();

// A test main that sets up TestEnvironment before the application object exists.
#define OMRIK_TEST_MAIN(TestClass)                                                                 \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        TestEnvironment environment;                                                               \
        QApplication app(argc, argv);                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
