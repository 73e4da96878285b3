#pragma once

#include "platform/failure.h"

#include <QPageLayout>
#include <QPrinter>
#include <QString>
#include <QStringList>

// What the user settled in the print dialog: the printer, or the PDF file to print into, and
// how the job is to come out of it.
struct PrintSetup
{
    // The printing system's name of the printer; empty when the job goes into outputFile.
    QString printerName;
    QString outputFile;
    int copies = 1;
    bool collate = true;
    QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
    // Paper, orientation and margins; an invalid layout leaves the printer's own.
    QPageLayout pageLayout;
    QPrinter::ColorMode colorMode = QPrinter::Color;
    QPrinter::PageOrder pageOrder = QPrinter::FirstPageFirst;
    // The printing system's own job options, as key, value, key, value...: pages per sheet,
    // banner pages and the driver's settings, which only the printing system understands.
    QStringList systemOptions;

    // The setup a print dialog left in the printer it configured.
    static PrintSetup fromPrinter(const QPrinter &printer);
    // Fails when the printer is not there or does not take the paper.
    MaybeFailure applyTo(QPrinter &printer) const;

    bool operator==(const PrintSetup &other) const;
};
