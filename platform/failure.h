#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

// A failure travels as a value: the number users and tests recognise, and a short sentence.
struct Failure
{
    int number = 0;
    QString description;

    QString message() const
    {
        return QString::number(number) + QStringLiteral(" - ") + description;
    }
    bool operator==(const Failure &other) const
    {
        return number == other.number && description == other.description;
    }
};

namespace FailureNumber {
constexpr int OutOfMemory = 7;
constexpr int BadFileName = 52;
constexpr int FileNotFound = 53;
constexpr int DeviceIO = 57;
constexpr int DiskFull = 61;
constexpr int PermissionDenied = 70;
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
constexpr int PrinterError = 482;
constexpr int CancelError = 32755;
constexpr int UnencodableText = 1001;
constexpr int AmbiguousEncoding = 1003;
constexpr int LinkLoop = 1004;
} // namespace FailureNumber

// The ways reading or writing a file fails, each with its number and its one text.
enum class FileFailure {
    BadFileName,
    FileNameTooLong,
    FileNotFound,
    PathNotFound,
    DeviceIO,
    DiskFull,
    PermissionDenied,
    PathFileAccess,
    LinkLoop,
};
Failure fileFailure(FileFailure kind);
// The text followed by what the system said.
Failure fileFailure(FileFailure kind, const QString &detail);

Failure cancelFailure();
Failure outOfMemoryFailure();
// 482 with what went wrong, for every way a print job can fail.
Failure printerFailure(const QString &detail);

using MaybeFailure = std::optional<Failure>;

template<class T>
class Result
{
public:
    Result(T value)
        : m_state(std::move(value))
    { }
    Result(Failure failure)
        : m_state(std::move(failure))
    { }

    bool ok() const { return std::holds_alternative<T>(m_state); }
    const T &value() const { return std::get<T>(m_state); }
    T &value() { return std::get<T>(m_state); }
    const Failure &failure() const { return std::get<Failure>(m_state); }

private:
    std::variant<T, Failure> m_state;
};
