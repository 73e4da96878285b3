#include "platform/printdialog.h"

PrintDialog::PrintDialog(QPrinter *printer, QWidget *parent)
    : QPrintDialog(printer, parent)
{
    PrintDialogOptions offered = PrintCollateCopies | PrintShowPageSize;
    // Windows' "Print to file" stays inside its print engine, where no setup can carry it;
    // Windows has a PDF printer of its own for that.
#ifndef Q_OS_WIN
    offered |= PrintToFile;
#endif
    setOptions(offered);
}

void PrintDialog::setVisible(bool visible)
{
    QPrintDialog::setVisible(visible);
    // Built with CUPS, Qt's own dialog brings back a range of pages and odd or even pages with
    // the page range switched off, for CUPS to pick the pages out at the printer; a PDF file
    // would get every page all the same. The group that holds them goes, with "Print all".
    if (QWidget *pages = findChild<QWidget *>(QStringLiteral("gbPrintRange")); visible && pages)
        pages->hide();
}
