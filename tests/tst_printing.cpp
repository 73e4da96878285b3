#include "platform/commondialog.h"
#include "platform/printer.h"
#include "tests/support/testenvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QProcess>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

#include <functional>

// Prints into PDF files and reads them back, as a person would read the paper. The print
// dialog is the real one, answered from inside its event loop.
class TestPrinting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void printsTheWholeTextInTheEditorsFont();
    void printsIntoTheFileAsChosen_data();
    void printsIntoTheFileAsChosen();
    void unusablePrinterIsAPrinterFailure_data();
    void unusablePrinterIsAPrinterFailure();
    void dialogSendsTheJobWhereTheUserChose_data();
    void dialogSendsTheJobWhereTheUserChose();
    void printsOnTheChosenPrinter();

private:
    // Runs answer on the print dialog once it waits for its user. Any other window that opens
    // modally is noted and closed, and a print dialog the answer left open is cancelled, so
    // nothing is ever left waiting.
    void answerPrintDialog(const std::function<void(QPrintDialog &)> &answer);
    static void press(QDialog &dialog, const QString &button);
    static QString run(const QString &program, const QStringList &arguments);
    static QString pdfText(const QString &pdf);
    static QSize pdfPageSize(const QString &pdf);
    // Where a queue of the printing script's scheduler writes its next job, cleared.
    static QString cupsJobFile(const QString &queue);
    static QByteArray readJobFile(const QString &path);

    QPointer<QTimer> m_poll;
    QStringList m_unexpected;
};

namespace {

QString printedLines(int count)
{
    QString text;
    for (int line = 1; line <= count; ++line)
        text += QStringLiteral("Line %1 of the letter\n").arg(line);
    return text;
}

// The PDF readers are Linux programs, which a Windows program under Wine cannot start.
#ifdef Q_OS_WIN
constexpr bool PdfReadersReachable = false;
#else
constexpr bool PdfReadersReachable = true;
#endif

QByteArray describe(const MaybeFailure &failure)
{
    return failure ? failure->message().toUtf8() : QByteArray("no failure");
}

} // namespace

void TestPrinting::cleanup()
{
    delete m_poll;
    QVERIFY2(m_unexpected.isEmpty(), qPrintable(m_unexpected.join(QLatin1String(" | "))));
    m_unexpected.clear();
    QTRY_COMPARE(QApplication::topLevelWidgets().size(), 0);
}

void TestPrinting::answerPrintDialog(const std::function<void(QPrintDialog &)> &answer)
{
    m_poll = new QTimer(this);
    auto answered = std::make_shared<bool>(false);
    connect(m_poll, &QTimer::timeout, this, [this, answer, answered] {
        QWidget *modal = QApplication::activeModalWidget();
        auto *dialog = qobject_cast<QPrintDialog *>(modal);
        if (modal && (!dialog || *answered)) {
            m_unexpected << modal->windowTitle();
            modal->close();
        } else if (dialog) {
            *answered = true;
            answer(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        }
    });
    m_poll->start(20);
}

void TestPrinting::press(QDialog &dialog, const QString &button)
{
    for (QAbstractButton *candidate : dialog.findChildren<QAbstractButton *>()) {
        if (candidate->text().remove(QLatin1Char('&')) == button)
            return candidate->click();
    }
}

QString TestPrinting::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("<%1 failed>").arg(program);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString TestPrinting::pdfText(const QString &pdf)
{
    return run(
        QStringLiteral("pdftotext"), { QStringLiteral("-layout"), pdf, QStringLiteral("-") });
}

// In points, rounded, as pdfinfo reports the first page.
QSize TestPrinting::pdfPageSize(const QString &pdf)
{
    const QRegularExpression line(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts"));
    const QRegularExpressionMatch match = line.match(run(QStringLiteral("pdfinfo"), { pdf }));
    return QSize(qRound(match.captured(1).toDouble()), qRound(match.captured(2).toDouble()));
}

QString TestPrinting::cupsJobFile(const QString &queue)
{
    const QString job = qEnvironmentVariable("OMRIK_CUPS_OUTPUT") + QLatin1Char('/') + queue
        + QStringLiteral(".pdf");
    for (const char *written : { "", ".copies", ".options" })
        QFile::remove(job + QLatin1String(written));
    return job;
}

QByteArray TestPrinting::readJobFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray("<missing>");
}

void TestPrinting::printsTheWholeTextInTheEditorsFont()
{
    QTemporaryDir folder;
    PrintSetup setup;
    setup.outputFile = folder.filePath(QStringLiteral("out.pdf"));
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSizeF(10.5);
    font.setBold(true);

    const MaybeFailure failure = DocumentPrinter().printText(printedLines(120), font, setup);
    QVERIFY2(!failure, describe(failure));
    QVERIFY(readTestFile(setup.outputFile).startsWith("%PDF-"));
    if (!PdfReadersReachable)
        QSKIP("pdftotext and pdfinfo are Linux programs, out of reach of a Windows program");

    const QString printed = pdfText(setup.outputFile);
    QVERIFY2(
        printed.contains(QStringLiteral("Line 1 of the letter")), qPrintable(printed.left(200)));
    QVERIFY(printed.contains(QStringLiteral("Line 120 of the letter")));
    QVERIFY2(printed.count(QLatin1Char('\f')) >= 2, "a long text is split into pages");
    QVERIFY2(!printed.contains(QRegularExpression(
                 QStringLiteral("^\\s*1\\s*$"), QRegularExpression::MultilineOption)),
        "no page numbers of our own");
    const QString fonts = run(QStringLiteral("pdffonts"), { setup.outputFile });
    QVERIFY2(fonts.contains(QStringLiteral("DejaVuSerif-Bold")), qPrintable(fonts));
}

void TestPrinting::printsIntoTheFileAsChosen_data()
{
    QTest::addColumn<int>("paper");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QSize>("points");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<bool>("lastPageFirst");
    // Where the first and the last line of the text appear, page after page.
    QTest::addColumn<QString>("lines");
    QTest::newRow("A4, one copy") << int(QPageSize::A4) << false << QSize(595, 842) << 1 << true
                                  << false << "1 120";
    QTest::newRow("A5 landscape, two copies collated")
        << int(QPageSize::A5) << true << QSize(595, 420) << 2 << true << false << "1 120 1 120";
    QTest::newRow("Letter landscape, two copies uncollated")
        << int(QPageSize::Letter) << true << QSize(792, 612) << 2 << false << false
        << "1 1 120 120";
    QTest::newRow("last page first")
        << int(QPageSize::A4) << false << QSize(595, 842) << 1 << true << true << "120 1";
}

// A file has no printer to make the copies: each copy is in the file.
void TestPrinting::printsIntoTheFileAsChosen()
{
    QFETCH(int, paper);
    QFETCH(bool, landscape);
    QFETCH(QSize, points);
    QTemporaryDir folder;
    PrintSetup setup;
    setup.outputFile = folder.filePath(QStringLiteral("chosen.pdf"));
    setup.pageLayout = QPageLayout(QPageSize(QPageSize::PageSizeId(paper)),
        landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
        QMarginsF(10, 10, 10, 10));
    QFETCH(int, copies);
    setup.copies = copies;
    QFETCH(bool, collate);
    setup.collate = collate;
    QFETCH(bool, lastPageFirst);
    setup.pageOrder = lastPageFirst ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst;
    const MaybeFailure failure = DocumentPrinter().printText(printedLines(120), QFont(), setup);
    QVERIFY2(!failure, describe(failure));
    QVERIFY(readTestFile(setup.outputFile).startsWith("%PDF-"));
    if (!PdfReadersReachable)
        QSKIP("pdftotext and pdfinfo are Linux programs, out of reach of a Windows program");

    QCOMPARE(pdfPageSize(setup.outputFile), points);
    QStringList seen;
    const QRegularExpression firstOrLast(QStringLiteral("Line (1|120) of"));
    for (const QRegularExpressionMatch &match : firstOrLast.globalMatch(pdfText(setup.outputFile)))
        seen << match.captured(1);
    QTEST(seen.join(QLatin1Char(' ')), "lines");
}

void TestPrinting::unusablePrinterIsAPrinterFailure_data()
{
    QTest::addColumn<QString>("printerName");
    QTest::addColumn<QString>("outputFile");
    QTest::newRow("nothing chosen") << QString() << QString();
    QTest::newRow("a printer that is not there") << "OmrikGone" << QString();
    QTest::newRow("a file in a folder that is not there")
        << QString() << "/nonexistent-folder/out.pdf";
}

void TestPrinting::unusablePrinterIsAPrinterFailure()
{
    PrintSetup setup;
    QFETCH(QString, printerName);
    setup.printerName = printerName;
    QFETCH(QString, outputFile);
    setup.outputFile = outputFile;
    const MaybeFailure failure = DocumentPrinter().printText(QStringLiteral("x"), QFont(), setup);
    QVERIFY(failure);
    QCOMPARE(failure->number, FailureNumber::PrinterError);
}

void TestPrinting::dialogSendsTheJobWhereTheUserChose_data()
{
    QTest::addColumn<QString>("destination");
    // Also where no printer exists, when the dialog offers nothing but the file.
    QTest::newRow("print to file") << "Print to File (PDF)";
    QTest::newRow("a printer that is not the default") << "OmrikChosen";
}

void TestPrinting::dialogSendsTheJobWhereTheUserChose()
{
    QFETCH(QString, destination);
    const bool toFile = destination == QLatin1String("Print to File (PDF)");
#ifdef Q_OS_WIN
    QSKIP("Windows shows its own print dialog, which has no file choice and no widgets to answer");
#endif
    if (!toFile && qEnvironmentVariableIsEmpty("OMRIK_CUPS_OUTPUT"))
        QSKIP("needs the private CUPS scheduler of the printing script");
    QTemporaryDir folder;
    const QString output
        = toFile ? folder.filePath(QStringLiteral("letter.pdf")) : cupsJobFile(destination);
    QStringList offered;
    answerPrintDialog([&](QPrintDialog &dialog) {
        press(dialog, QStringLiteral("Options >>"));
        for (QAbstractButton *button : dialog.findChildren<QAbstractButton *>()) {
            if (button->isVisibleTo(&dialog))
                offered << button->text().remove(QLatin1Char('&'));
        }
        auto *printers = dialog.findChild<QComboBox *>(QStringLiteral("printers"));
        auto *file = dialog.findChild<QLineEdit *>(QStringLiteral("filename"));
        auto *copies = dialog.findChild<QSpinBox *>(QStringLiteral("copies"));
        if (!printers || !file || !copies)
            return;
        printers->setCurrentIndex(printers->findText(destination));
        if (toFile)
            file->setText(output);
        copies->setValue(2);
        press(dialog, QStringLiteral("Print"));
    });
    WidgetCommonDialog commonDialog;
    commonDialog.setCancelError(true);
    const MaybeFailure shown = commonDialog.ShowPrinter();
    QVERIFY2(!shown, describe(shown));
    QVERIFY2(offered.contains(QStringLiteral("Collate")), qPrintable(offered.join(u',')));
    for (const char *pages : { "Pages from", "Pages", "Selection", "Current Page" })
        QVERIFY2(!offered.contains(QLatin1String(pages)), pages);

    const PrintSetup &chosen = commonDialog.printSetup();
    QCOMPARE(chosen.outputFile, toFile ? output : QString());
    QCOMPARE(chosen.printerName, toFile ? QString() : destination);
    const QString text = QStringLiteral("Sent through the dialog");
    const MaybeFailure printed = DocumentPrinter().printText(text, QFont(), chosen);
    QVERIFY2(!printed, describe(printed));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(output), 30000);
    // A printer makes the two copies itself; a file holds both.
    QCOMPARE(pdfText(output).count(text), toFile ? 2 : 1);
    if (!toFile) {
        QCOMPARE(readJobFile(output + QStringLiteral(".copies")), QByteArray("2"));
        QVERIFY2(!QFile::exists(cupsJobFile(QStringLiteral("OmrikDefault"))),
            "the default printer gets nothing");
    }
}

// Run by a script that starts a private CUPS scheduler with two queues that write files, and
// makes the one that is not chosen the default.
void TestPrinting::printsOnTheChosenPrinter()
{
    if (qEnvironmentVariableIsEmpty("OMRIK_CUPS_OUTPUT"))
        QSKIP("needs the private CUPS scheduler of the printing script");
    const QString job = cupsJobFile(QStringLiteral("OmrikChosen"));
    PrintSetup setup;
    setup.printerName = QStringLiteral("OmrikChosen");
    setup.pageLayout = QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape, QMarginsF());
    setup.systemOptions = QStringList { QStringLiteral("number-up"), QStringLiteral("2") };
    const MaybeFailure failure = DocumentPrinter().printText(QStringLiteral("x"), QFont(), setup);
    QVERIFY2(!failure, describe(failure));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job), 30000);
    QCOMPARE(pdfPageSize(job), QSize(595, 420));
    const QList<QByteArray> options = readJobFile(job + QStringLiteral(".options")).split(' ');
    QVERIFY2(options.contains("number-up=2"), "the printing system's options reach the job");
}

OMRIK_TEST_MAIN(TestPrinting)
#include "tst_printing.moc"
