#include "settings/settingtext.h"

#include <QRegularExpression>

#include <charconv>
#include <cmath>

namespace SettingText {

std::optional<double> leadingNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const double value = match.captured(0).toDouble();
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

// Fixed notation: "1e+05" would read back as 1 under the leading-number rule.
QString geometry(double twips)
{
    char buffer[32];
    const std::to_chars_result result
        = std::to_chars(buffer, buffer + sizeof buffer, float(twips), std::chars_format::fixed);
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

QString fontSize(double points)
{
    QString text = QString::number(std::round(points * 10000.0) / 10000.0, 'f', 4);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

QString flag(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<bool> readFlag(const QString &text)
{
    if (text == QLatin1String("True"))
        return true;
    if (text == QLatin1String("False"))
        return false;
    return std::nullopt;
}

QString colour(quint32 value)
{
    return QString::number(qint32(value));
}

std::optional<quint32> readColour(const QString &text)
{
    bool ok = false;
    const qint32 value = text.trimmed().toInt(&ok);
    return ok ? std::optional<quint32>(quint32(value)) : std::nullopt;
}

} // namespace SettingText
