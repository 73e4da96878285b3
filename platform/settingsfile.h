#pragma once

#include <QString>

#include <optional>

// The per-user store of named text values, in sections. Values go in and come out as the
// exact text given, so another program can read and edit the file.
class SettingsFile
{
public:
    virtual ~SettingsFile() = default;
    virtual std::optional<QString> value(const QString &section, const QString &key) const = 0;
    virtual void setValue(const QString &section, const QString &key, const QString &text) = 0;
    // Makes what was written permanent.
    virtual void sync() = 0;
};

class QSettings;

// A plain INI file: $XDG_CONFIG_HOME/OmrikNote/OmrikNote.ini on Linux.
class IniSettingsFile : public SettingsFile
{
public:
    IniSettingsFile();
    explicit IniSettingsFile(const QString &path);
    ~IniSettingsFile() override;

    static QString defaultPath();

    std::optional<QString> value(const QString &section, const QString &key) const override;
    void setValue(const QString &section, const QString &key, const QString &text) override;
    void sync() override;

private:
    QSettings *m_settings;
};
