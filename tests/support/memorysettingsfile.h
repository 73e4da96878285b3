#pragma once

#include "platform/settingsfile.h"

#include <QMap>
#include <QStringList>

// Settings kept in memory; counts the syncs so tests can tell when the program wrote them.
class MemorySettingsFile : public SettingsFile
{
public:
    std::optional<QString> value(const QString &section, const QString &key) const override
    {
        const auto found = values.constFind(section + QLatin1Char('/') + key);
        return found == values.constEnd() ? std::nullopt : std::optional<QString>(*found);
    }

    void setValue(const QString &section, const QString &key, const QString &text) override
    {
        values.insert(section + QLatin1Char('/') + key, text);
        writes << section + QLatin1Char('/') + key;
    }

    void sync() override { ++syncs; }

    QMap<QString, QString> values;
    QStringList writes;
    int syncs = 0;
};
