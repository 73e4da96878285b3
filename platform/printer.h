#pragma once

#include "platform/failure.h"

#include <QFont>
#include <QString>

class Printer
{
public:
    virtual ~Printer() = default;
    virtual MaybeFailure printText(const QString &text, const QFont &font) = 0;
};

// Prints to the system's default printer, or into a PDF file when one is named.
class DocumentPrinter : public Printer
{
public:
    DocumentPrinter() = default;
    explicit DocumentPrinter(const QString &pdfFile);

    MaybeFailure printText(const QString &text, const QFont &font) override;

private:
    QString m_pdfFile;
};
