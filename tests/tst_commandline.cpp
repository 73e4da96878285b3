#include "settings/commandline.h"
#include "tests/support/testenvironment.h"

#include <QRegularExpression>
#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
};

void TestCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("answer");
    const QString usage
        = QStringLiteral("^Usage: OmrikNote \\[FILE\\]\n[\\s\\S]*--version[\\s\\S]*\n$");
    const QString version = QStringLiteral("^OmrikNote \\d+(\\.\\d+)+\n$");
    QTest::newRow("none") << QStringList() << ""
                          << "";
    QTest::newRow("words joined") << QStringList { "/tmp/a", "b.txt" } << "/tmp/a b.txt"
                                  << "";
    QTest::newRow("one pair of quotes off") << QStringList { "\"\"a b\"\"" } << "\"a b\""
                                            << "";
    QTest::newRow("unknown option is a name") << QStringList { "-x" } << "-x"
                                              << "";
    QTest::newRow("--help after a word is part of the name")
        << QStringList { "notes", "--help" } << "notes --help"
        << "";
    QTest::newRow("-- then --help") << QStringList { "--", "--help" } << "--help"
                                    << "";
    QTest::newRow("-- then words") << QStringList { "--", "-v", "--" } << "-v --"
                                   << "";
    QTest::newRow("file URI, escapes decoded")
        << QStringList { "file:///tmp/a%20b%25.txt" } << "/tmp/a b%.txt"
        << "";
    QTest::newRow("file URI naming localhost")
        << QStringList { "file://LocalHost/tmp/a.txt" } << "/tmp/a.txt"
        << "";
    QTest::newRow("file URI after --") << QStringList { "--", "file:///tmp/-x" } << "/tmp/-x"
                                       << "";
    QTest::newRow("several URIs: the first")
        << QStringList { "file:///tmp/a.txt", "file:///tmp/b.txt" } << "/tmp/a.txt"
        << "";
    QTest::newRow("web address is a name")
        << QStringList { "https://example.org/a" } << "https://example.org/a"
        << "";
    QTest::newRow("--help") << QStringList { "--help", "a.txt" } << "" << usage;
    QTest::newRow("--version") << QStringList { "--version", "--help" } << "" << version;
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, document);
    QFETCH(QString, answer);
    const CommandLine commandLine = CommandLine::parse(QStringList { "OmrikNote" } + arguments);
    QCOMPARE(commandLine.document, document);
    if (answer.isEmpty())
        QCOMPARE(commandLine.answer, QString());
    else
        QVERIFY2(QRegularExpression(answer).match(commandLine.answer).hasMatch(),
            qPrintable(commandLine.answer));
}

OMRIK_TEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
