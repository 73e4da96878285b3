#pragma once

#include "platform/printer.h"

#include <QList>

class RecordingPrinter : public Printer
{
public:
    struct Job
    {
        QString text;
        QFont font;
    };

    MaybeFailure printText(const QString &text, const QFont &font) override
    {
        jobs.append({ text, font });
        return failure;
    }

    QList<Job> jobs;
    MaybeFailure failure;
};
