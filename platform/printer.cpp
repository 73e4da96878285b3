#include "platform/printer.h"

#include <QAbstractTextDocumentLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>

namespace {

Failure printerFailure(const QString &detail)
{
    return { FailureNumber::PrinterError, QStringLiteral("Printer error: ") + detail };
}

} // namespace

DocumentPrinter::DocumentPrinter(const QString &pdfFile)
    : m_pdfFile(pdfFile)
{ }

MaybeFailure DocumentPrinter::printText(const QString &text, const QFont &font)
{
    QPrinter printer(QPrinter::HighResolution);
    if (m_pdfFile.isEmpty()) {
        const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
        if (defaultPrinter.isNull())
            return printerFailure(QStringLiteral("no printer is available"));
        printer.setPrinterName(defaultPrinter.printerName());
    } else {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_pdfFile);
    }
    if (!printer.isValid())
        return printerFailure(QStringLiteral("the printer cannot be used"));

    // Laying the text out for the printer itself and giving it the page size keeps Qt from
    // adding page numbers of its own: the page carries the text and nothing else.
    QTextDocument document;
    document.documentLayout()->setPaintDevice(&printer);
    document.setDefaultFont(font);
    document.setPlainText(text + QLatin1Char('\n'));
    document.setPageSize(printer.pageLayout().paintRectPixels(printer.resolution()).size());
    document.print(&printer);
    if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted)
        return printerFailure(QStringLiteral("the print job could not be started"));
    return std::nullopt;
}
