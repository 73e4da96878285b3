#pragma once

#include <QString>

#include <optional>

// The text forms of stored settings. Every value is plain text that a person can read and
// edit by hand.
namespace SettingText {

// Optional sign, digits and at most one '.': reading stops at the first character that cannot
// continue the number. Nothing when the text does not start with a number.
std::optional<double> leadingNumber(const QString &text);

// Shortest decimal text that reads back as the same single-precision value.
QString geometry(double twips);
// Rounded to four decimals, without trailing zeros, always with '.' so it reads back the same
// in every locale.
QString fontSize(double points);
QString flag(bool on);
std::optional<bool> readFlag(const QString &text);
QString colour(quint32 value);
std::optional<quint32> readColour(const QString &text);

} // namespace SettingText
