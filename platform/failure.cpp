#include "platform/failure.h"

#include <array>

namespace {

struct FileFailureText
{
    FileFailure kind;
    int number;
    const char *text;
};

constexpr std::array<FileFailureText, 9> FileFailures { {
    { FileFailure::BadFileName, FailureNumber::BadFileName, "Bad file name" },
    { FileFailure::FileNameTooLong, FailureNumber::BadFileName, "File name too long" },
    { FileFailure::FileNotFound, FailureNumber::FileNotFound, "File not found" },
    { FileFailure::PathNotFound, FailureNumber::PathNotFound, "Path not found" },
    { FileFailure::DeviceIO, FailureNumber::DeviceIO, "Device I/O error" },
    { FileFailure::DiskFull, FailureNumber::DiskFull, "Disk full" },
    { FileFailure::PermissionDenied, FailureNumber::PermissionDenied, "Permission denied" },
    { FileFailure::PathFileAccess, FailureNumber::PathFileAccess, "Path/File access error" },
    { FileFailure::LinkLoop, FailureNumber::LinkLoop, "Loop of symbolic links" },
} };

} // namespace

Failure fileFailure(FileFailure kind)
{
    const FileFailureText &entry = FileFailures[std::size_t(kind)];
    Q_ASSERT(entry.kind == kind);
    return { entry.number, QString::fromLatin1(entry.text) };
}

Failure fileFailure(FileFailure kind, const QString &detail)
{
    Failure failure = fileFailure(kind);
    failure.description += QStringLiteral(": ") + detail;
    return failure;
}

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
