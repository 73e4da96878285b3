#include "platform/failure.h"

Failure cancelFailure()
{
    return { FailureNumber::CancelError, QStringLiteral("Cancel was selected") };
}

Failure outOfMemoryFailure()
{
    return { FailureNumber::OutOfMemory, QStringLiteral("Out of memory") };
}

Failure printerFailure(const QString &detail)
{
    return { FailureNumber::PrinterError, QStringLiteral("Printer error: ") + detail };
}
