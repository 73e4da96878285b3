#include "platform/settingsfile.h"

#include <QSettings>
#include <QStringList>

namespace {

QString fullKey(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

} // namespace

IniSettingsFile::IniSettingsFile()
    : IniSettingsFile(defaultPath())
{ }

IniSettingsFile::IniSettingsFile(const QString &path)
    : m_settings(new QSettings(path, QSettings::IniFormat))
{
    m_settings->setFallbacksEnabled(false);
}

IniSettingsFile::~IniSettingsFile()
{
    delete m_settings;
}

QString IniSettingsFile::defaultPath()
{
    const QSettings located(QSettings::IniFormat,
        QSettings::UserScope,
        QStringLiteral("OmrikNote"),
        QStringLiteral("OmrikNote"));
    return located.fileName();
}

std::optional<QString> IniSettingsFile::value(const QString &section, const QString &key) const
{
    const QVariant stored = m_settings->value(fullKey(section, key));
    if (!stored.isValid())
        return std::nullopt;
    // An unquoted comma makes the INI reader split a value into a list; the user meant text.
    if (stored.userType() == QMetaType::QStringList)
        return stored.toStringList().join(QStringLiteral(", "));
    return stored.toString();
}

void IniSettingsFile::setValue(const QString &section, const QString &key, const QString &text)
{
    m_settings->setValue(fullKey(section, key), text);
}

void IniSettingsFile::sync()
{
    m_settings->sync();
}
