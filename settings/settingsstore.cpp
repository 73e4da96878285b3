#include "settings/settingsstore.h"

#include "core/backgroundselection.h"
#include "platform/olecolor.h"
#include "settings/settingtext.h"

#include <algorithm>
#include <cmath>

namespace {

// Qt's largest widget, in twips at the finest common density; anything beyond cannot be shown.
constexpr double LargestGeometry = 16777215.0 * 15;
constexpr double LargestFontSize = 1638;

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

double centred(double screen, double window)
{
    return (screen - window) / 2;
}

// Half-way cases go to the even neighbour; the result is kept within 16 bits.
double roundedOffset(double value)
{
    return qBound(-32768.0, std::nearbyint(value), 32767.0);
}

bool usableSize(double value)
{
    return value > 0 && value <= LargestGeometry;
}

} // namespace

SettingsStore::SettingsStore(SettingsFile &file)
    : m_file(file)
{ }

QString SettingsStore::ReadSetting(
    const QString &section, const QString &key, const QString &defaultText) const
{
    return m_file.value(section, key).value_or(defaultText);
}

void SettingsStore::WriteSetting(const QString &section, const QString &key, const QString &text)
{
    m_file.setValue(section, key, text);
}

std::optional<double> SettingsStore::readNumber(const char *section, const char *key) const
{
    const std::optional<QString> stored = m_file.value(text(section), text(key));
    return stored ? SettingText::leadingNumber(*stored) : std::nullopt;
}

bool SettingsStore::readFlag(const char *section, const char *key, bool defaultValue) const
{
    const QString stored = ReadSetting(text(section), text(key), SettingText::flag(defaultValue));
    return SettingText::readFlag(stored).value_or(defaultValue);
}

WindowPlacement SettingsStore::readPlacement(
    const QSizeF &screen, const QList<QRectF> &screens) const
{
    WindowPlacement placement;
    placement.width = readNumber("FormPlacement", "Width").value_or(DefaultWidth);
    if (!usableSize(placement.width))
        placement.width = DefaultWidth;
    placement.height = readNumber("FormPlacement", "Height").value_or(DefaultHeight);
    if (placement.height > LargestGeometry)
        placement.height = DefaultHeight;
    const double defaultLeft = roundedOffset(centred(screen.width(), placement.width));
    const double defaultTop = roundedOffset(centred(screen.height(), placement.height));
    if (placement.height < SmallestHeight) {
        placement.width = DefaultWidth;
        placement.height = DefaultHeight;
    }
    if (placement.width > screen.width() && placement.height > screen.height() - HeightMargin) {
        placement.width = DefaultWidth;
        placement.height = DefaultHeight;
        placement.left = centred(screen.width(), placement.width);
        placement.top = centred(screen.height(), placement.height);
        placement.maximized = true;
        return placement;
    }
    placement.left = readNumber("FormPlacement", "Left").value_or(defaultLeft);
    placement.top = readNumber("FormPlacement", "Top").value_or(defaultTop);
    const QRectF window(placement.left, placement.top, placement.width, placement.height);
    const bool visible = std::any_of(screens.begin(), screens.end(), [&window](const QRectF &area) {
        return area.intersects(window);
    });
    if (!screens.isEmpty() && !visible) {
        placement.left = centred(screen.width(), placement.width);
        placement.top = centred(screen.height(), placement.height);
    }
    return placement;
}

ControlFont SettingsStore::readFont() const
{
    ControlFont font;
    font.name = ReadSetting(text("Font"), text("FontName"), text("MS Sans Serif"));
    if (font.name.trimmed().isEmpty())
        font.name = text("MS Sans Serif");
    font.size = readNumber("Font", "FontSize").value_or(8);
    if (font.size <= 0 || font.size > LargestFontSize)
        font.size = 8;
    font.bold = readFlag("Font", "Bold", false);
    font.italic = readFlag("Font", "Italic", false);
    font.strikethrough = readFlag("Font", "Strikethru", false);
    font.underline = readFlag("Font", "Underline", false);
    return font;
}

StartupSettings SettingsStore::read(const QSizeF &screen, const QList<QRectF> &screens) const
{
    StartupSettings settings;
    settings.placement = readPlacement(screen, screens);
    const double background = std::floor(
        readNumber("Options", "Background").value_or(BackgroundSelection::DefaultTile));
    settings.background = background >= 0 && background < BackgroundSelection::TileCount
        ? int(background)
        : BackgroundSelection::DefaultTile;
    settings.font = readFont();
    const QString colour
        = ReadSetting(text("Font"), text("Color"), SettingText::colour(SystemWindowText));
    settings.color = SettingText::readColour(colour).value_or(SystemWindowText);
    settings.wordWrap = readFlag("Options", "Wordwrap", false);
    settings.checkDefault
        = ReadSetting(text("Options"), text("CheckDefault"), text("Yes")) == QLatin1String("Yes");
    return settings;
}

void SettingsStore::SaveRegisterSettings(const SessionSettings &session)
{
    const QString placement = text("FormPlacement");
    const QString font = text("Font");
    WriteSetting(placement, text("Width"), SettingText::geometry(session.placement.width));
    WriteSetting(placement, text("Height"), SettingText::geometry(session.placement.height));
    WriteSetting(placement, text("Left"), SettingText::geometry(session.placement.left));
    WriteSetting(placement, text("Top"), SettingText::geometry(session.placement.top));
    WriteSetting(font, text("FontName"), session.font.name);
    WriteSetting(font, text("FontSize"), SettingText::fontSize(session.font.size));
    WriteSetting(font, text("Bold"), SettingText::flag(session.font.bold));
    WriteSetting(font, text("Italic"), SettingText::flag(session.font.italic));
    WriteSetting(font, text("Strikethru"), SettingText::flag(session.font.strikethrough));
    WriteSetting(font, text("Underline"), SettingText::flag(session.font.underline));
    WriteSetting(font, text("Color"), SettingText::colour(session.color));
    WriteSetting(text("Options"), text("Wordwrap"), SettingText::flag(session.wordWrap));
    WriteSetting(text("Options"), text("Background"), QString::number(session.background));
    m_file.sync();
}
