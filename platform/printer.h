#pragma once

#include "platform/failure.h"
#include "platform/printsetup.h"

#include <QFont>
#include <QString>

class Printer
{
public:
    virtual ~Printer() = default;
    virtual MaybeFailure printText(const QString &text, const QFont &font, const PrintSetup &setup)
        = 0;
};

// Prints on the printer, or into the PDF file, that the print dialog's user chose.
class DocumentPrinter : public Printer
{
public:
    MaybeFailure printText(
        const QString &text, const QFont &font, const PrintSetup &setup) override;
};
