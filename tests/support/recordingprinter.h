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
        PrintSetup setup;
    };

    MaybeFailure printText(const QString &text, const QFont &font, const PrintSetup &setup) override
    {
        jobs.append({ text, font, setup });
        return failure;
    }

    QList<Job> jobs;
    MaybeFailure failure;
};
