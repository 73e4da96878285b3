#pragma once

#include "platform/controlfont.h"
#include "platform/settingsfile.h"

#include <QList>
#include <QRectF>
#include <QSizeF>

// The outer rectangle of the main window in twips, and whether it is maximised.
struct WindowPlacement
{
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool maximized = false;
};

// What the program keeps between runs.
struct SessionSettings
{
    WindowPlacement placement;
    ControlFont font;
    quint32 color = 0;
    bool wordWrap = false;
    int background = 0;
};

struct StartupSettings : SessionSettings
{
    bool checkDefault = true;
};

class SettingsStore
{
public:
    static constexpr double DefaultWidth = 7635;
    static constexpr double DefaultHeight = 5640;
    static constexpr double SmallestHeight = 450;
    static constexpr double HeightMargin = 500;

    explicit SettingsStore(SettingsFile &file);

    QString ReadSetting(
        const QString &section, const QString &key, const QString &defaultText) const;
    void WriteSetting(const QString &section, const QString &key, const QString &text);
    void sync() { m_file.sync(); }

    // The stored values as start-up applies them, for a screen of the given size; unusable
    // values fall back to their defaults. All sizes in twips.
    StartupSettings read(const QSizeF &screen, const QList<QRectF> &screens) const;
    void SaveRegisterSettings(const SessionSettings &session);

private:
    WindowPlacement readPlacement(const QSizeF &screen, const QList<QRectF> &screens) const;
    ControlFont readFont() const;
    std::optional<double> readNumber(const char *section, const char *key) const;
    bool readFlag(const char *section, const char *key, bool defaultValue) const;

    SettingsFile &m_file;
};
