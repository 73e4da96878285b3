#pragma once

#include "platform/controlfont.h"
#include "platform/settingsfile.h"
#include "settings/settingkey.h"

#include <QList>
#include <QRectF>
#include <QSizeF>

#include <functional>

// The outer rectangle of the main window in twips, and whether it is maximised.
struct WindowPlacement
{
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool maximized = false;
};

// Where start-up places the main window, all in twips: the screen it opens on, every screen,
// and the narrowest and the largest window that can be used.
struct PlacementArea
{
    QSizeF screen;
    QList<QRectF> screens;
    double narrowestWidth = 0;
    double largestSize = 0;
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
    static constexpr double SmallestHeight = 450;
    static constexpr double HeightMargin = 500;

    explicit SettingsStore(SettingsFile &file);

    // The stored values as start-up applies them in the given area; unusable values fall back
    // to their defaults.
    StartupSettings read(const PlacementArea &area) const;
    void SaveRegisterSettings(const SessionSettings &session);

    // Each writes the text form of its key, which must be of that kind; sync() makes what was
    // written permanent.
    void writeNumber(const SettingKey &key, double value);
    void writeFlag(const SettingKey &key, bool on);
    void writeColour(const SettingKey &key, quint32 colour);
    void writeText(const SettingKey &key, const QString &text);
    void sync() { m_file.sync(); }

private:
    WindowPlacement readPlacement(const PlacementArea &area) const;
    ControlFont readFont() const;
    std::optional<QString> stored(const SettingKey &key) const;
    std::optional<double> storedNumber(const SettingKey &key) const;
    // Each gives the key's default when nothing usable is stored.
    double readNumber(const SettingKey &key, const std::function<bool(double)> &usable) const;
    bool readFlag(const SettingKey &key) const;
    quint32 readColour(const SettingKey &key) const;
    QString readText(const SettingKey &key) const;
    void write(const SettingKey &key, const QString &text);

    SettingsFile &m_file;
};
