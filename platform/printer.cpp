#include "platform/printer.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

#include <algorithm>

namespace {

// The pages in the order they go to the printer. Qt leaves both the reversed order and, for a
// PDF file, the copies to the program: each copy the printer does not make itself is printed
// here, whole copies one after the other when collated, each page repeated otherwise.
QList<int> pageSequence(int pageCount, const QPrinter &printer)
{
    QList<int> pages;
    for (int page = 0; page < pageCount; ++page)
        pages << page;
    if (printer.pageOrder() == QPrinter::LastPageFirst)
        std::reverse(pages.begin(), pages.end());
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    QList<int> sequence;
    if (printer.collateCopies()) {
        for (int copy = 0; copy < copies; ++copy)
            sequence += pages;
    } else {
        for (int page : pages)
            sequence += QList<int>(copies, page);
    }
    return sequence;
}

void drawPage(QPainter &painter, const QTextDocument &document, int page)
{
    const QRectF view(QPointF(0, page * document.pageSize().height()), document.pageSize());
    painter.save();
    painter.translate(0, -view.top());
    painter.setClipRect(view);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = view;
    // The paper is white whatever colours the screen's palette has.
    context.palette.setColor(QPalette::Text, Qt::black);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

} // namespace

MaybeFailure DocumentPrinter::printText(
    const QString &text, const QFont &font, const PrintSetup &setup)
{
    QPrinter printer(QPrinter::HighResolution);
    if (MaybeFailure failure = setup.applyTo(printer))
        return failure;
    if (!printer.isValid())
        return printerFailure(QStringLiteral("the printer cannot be used"));

    // The text is laid out for the printer itself, page by page; the pages carry the text and
    // nothing else, no page numbers.
    QTextDocument document;
    document.documentLayout()->setPaintDevice(&printer);
    document.setDefaultFont(font);
    document.setPlainText(text + QLatin1Char('\n'));
    document.setPageSize(printer.pageLayout().paintRectPixels(printer.resolution()).size());

    QPainter painter;
    if (!painter.begin(&printer))
        return printerFailure(QStringLiteral("the print job could not be started"));
    const QList<int> sequence = pageSequence(document.pageCount(), printer);
    for (qsizetype sheet = 0; sheet < sequence.size(); ++sheet) {
        if (sheet > 0 && !printer.newPage())
            return printerFailure(QStringLiteral("the printer stopped taking pages"));
        drawPage(painter, document, sequence.at(sheet));
    }
    painter.end();
    if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted)
        return printerFailure(QStringLiteral("the print job could not be finished"));
    return std::nullopt;
}
