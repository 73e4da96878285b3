#include "platform/failure.h"

Failure cancelFailure()
{
    return { FailureNumber::CancelError, QStringLiteral("Cancel was selected") };
}
