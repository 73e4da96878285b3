#include "platform/printsetup.h"

#include <QPrintEngine>

namespace {

// Qt's print dialog leaves the printing system's job options in this print engine property,
// and its CUPS engine hands them to the job. The key is not public, but Qt's own dialogs have
// used this value since Qt 4; engines that do not know it ignore it.
constexpr auto SystemOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

} // namespace

PrintSetup PrintSetup::fromPrinter(const QPrinter &printer)
{
    PrintSetup setup;
    if (printer.outputFormat() == QPrinter::PdfFormat)
        setup.outputFile = printer.outputFileName();
    else
        setup.printerName = printer.printerName();
    setup.copies = printer.copyCount();
    setup.collate = printer.collateCopies();
    setup.duplex = printer.duplex();
    setup.pageLayout = printer.pageLayout();
    setup.colorMode = printer.colorMode();
    setup.pageOrder = printer.pageOrder();
    setup.systemOptions = printer.printEngine()->property(SystemOptionsKey).toStringList();
    return setup;
}

MaybeFailure PrintSetup::applyTo(QPrinter &printer) const
{
    if (!printerName.isEmpty()) {
        // Qt keeps the printer it had when the name is not one of the system's printers.
        printer.setPrinterName(printerName);
        if (printer.outputFormat() != QPrinter::NativeFormat
            || printer.printerName() != printerName)
            return printerFailure(
                QStringLiteral("the printer ") + printerName + QStringLiteral(" is not available"));
    } else if (!outputFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(outputFile);
    } else {
        return printerFailure(QStringLiteral("no printer was chosen"));
    }
    // The printer's paper comes with the printer, so the chosen one is set after it.
    if (pageLayout.isValid() && !printer.setPageLayout(pageLayout))
        return printerFailure(QStringLiteral("the printer does not take the chosen paper"));
    printer.setCopyCount(copies);
    printer.setCollateCopies(collate);
    printer.setDuplex(duplex);
    printer.setColorMode(colorMode);
    printer.setPageOrder(pageOrder);
    if (!systemOptions.isEmpty())
        printer.printEngine()->setProperty(SystemOptionsKey, systemOptions);
    return std::nullopt;
}

bool PrintSetup::operator==(const PrintSetup &other) const
{
    return printerName == other.printerName && outputFile == other.outputFile
        && copies == other.copies && collate == other.collate && duplex == other.duplex
        && pageLayout == other.pageLayout && colorMode == other.colorMode
        && pageOrder == other.pageOrder && systemOptions == other.systemOptions;
}
