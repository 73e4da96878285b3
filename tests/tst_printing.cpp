#include "platform/printer.h"
#include "tests/support/fakewindow.h"
#include "tests/support/testenvironment.h"

#include <QPrinterInfo>
#include <QProcess>
#include <QtTest>

// Prints into a PDF file and reads the text back, as a person would read the paper.
class TestPrinting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void printsTheWholeTextInTheEditorsFont();
    void unwritableOutputIsAPrinterFailure();
    void noPrinterIsAPrinterFailure();
    void printsThroughTheSystemPrinter();

private:
    static QString pdfText(const QString &pdf);
    static QString pdfFonts(const QString &pdf);
};

QString TestPrinting::pdfText(const QString &pdf)
{
    QProcess process;
    process.start(
        QStringLiteral("pdftotext"), { QStringLiteral("-layout"), pdf, QStringLiteral("-") });
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString TestPrinting::pdfFonts(const QString &pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdffonts"), { pdf });
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

void TestPrinting::printsTheWholeTextInTheEditorsFont()
{
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("out.pdf"));
    QString text;
    for (int line = 1; line <= 120; ++line)
        text += QStringLiteral("Line %1 of the letter\n").arg(line);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSizeF(10.5);
    font.setBold(true);

    DocumentPrinter printer(pdf);
    QVERIFY(!printer.printText(text, font));

    const QString printed = pdfText(pdf);
    QVERIFY2(
        printed.contains(QStringLiteral("Line 1 of the letter")), qPrintable(printed.left(200)));
    QVERIFY(printed.contains(QStringLiteral("Line 120 of the letter")));
    QVERIFY2(printed.count(QLatin1Char('\f')) >= 2, "a long text is split into pages");
    QVERIFY2(!printed.contains(QRegularExpression(
                 QStringLiteral("^\\s*1\\s*$"), QRegularExpression::MultilineOption)),
        "no page numbers of our own");
    QVERIFY2(pdfFonts(pdf).contains(QStringLiteral("DejaVuSerif-Bold")), qPrintable(pdfFonts(pdf)));
}

void TestPrinting::unwritableOutputIsAPrinterFailure()
{
    DocumentPrinter printer(QStringLiteral("/nonexistent-folder/out.pdf"));
    const MaybeFailure failure = printer.printText(QStringLiteral("x"), QFont());
    QVERIFY(failure);
    QCOMPARE(failure->number, FailureNumber::PrinterError);
}

void TestPrinting::noPrinterIsAPrinterFailure()
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("this machine has a printer; the case runs where CUPS_SERVER points nowhere");
    DocumentPrinter printer;
    const MaybeFailure failure = printer.printText(QStringLiteral("x"), QFont());
    QVERIFY(failure);
    QCOMPARE(failure->number, FailureNumber::PrinterError);
}

// Run by a script that starts a private CUPS scheduler whose default queue writes a file.
void TestPrinting::printsThroughTheSystemPrinter()
{
    const QString output = qEnvironmentVariable("OMRIK_PRINTED_PDF");
    if (output.isEmpty())
        QSKIP("needs the private CUPS scheduler of the printing script");
    QCOMPARE(QPrinterInfo::defaultPrinter().printerName(), QStringLiteral("OmrikPdf"));
    DocumentPrinter printer;
    QVERIFY(!printer.printText(QStringLiteral("Printed through CUPS\nsecond line"), QFont()));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(output), 30000);
    const QString printed = pdfText(output);
    QVERIFY2(printed.contains(QStringLiteral("Printed through CUPS")), qPrintable(printed));
    QVERIFY(printed.contains(QStringLiteral("second line")));
}

OMRIK_TEST_MAIN(TestPrinting)
#include "tst_printing.moc"
