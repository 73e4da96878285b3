#include "settings/settingsstore.h"

#include "core/backgroundselection.h"
#include "settings/settingtext.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double LargestFontSize = 1638;

using Form = SettingKey::Form;

double centred(double screen, double window)
{
    return (screen - window) / 2;
}

// Half-way cases go to the even neighbour; the result is kept within 16 bits.
double roundedOffset(double value)
{
    return qBound(-32768.0, std::nearbyint(value), 32767.0);
}

bool usableFontSize(double value)
{
    return value > 0 && value <= LargestFontSize;
}

bool usableTile(double value)
{
    const double tile = std::floor(value);
    return tile >= 0 && tile < BackgroundSelection::TileCount;
}

QString defaultText(const SettingKey &key)
{
    Q_ASSERT(key.defaultText);
    return QString::fromLatin1(key.defaultText);
}

double defaultNumber(const SettingKey &key)
{
    return *SettingText::leadingNumber(defaultText(key));
}

bool isNumber(Form form)
{
    return form == Form::Geometry || form == Form::FontSize || form == Form::WholeNumber;
}

} // namespace

SettingsStore::SettingsStore(SettingsFile &file)
    : m_file(file)
{ }

std::optional<QString> SettingsStore::stored(const SettingKey &key) const
{
    return m_file.value(key.sectionText(), key.nameText());
}

std::optional<double> SettingsStore::storedNumber(const SettingKey &key) const
{
    Q_ASSERT(isNumber(key.form));
    const std::optional<QString> text = stored(key);
    return text ? SettingText::leadingNumber(*text) : std::nullopt;
}

double SettingsStore::readNumber(
    const SettingKey &key, const std::function<bool(double)> &usable) const
{
    const std::optional<double> number = storedNumber(key);
    return number && usable(*number) ? *number : defaultNumber(key);
}

bool SettingsStore::readFlag(const SettingKey &key) const
{
    const QString text = stored(key).value_or(defaultText(key));
    if (key.form == Form::YesNo)
        return text == QLatin1String("Yes");
    Q_ASSERT(key.form == Form::Flag);
    return SettingText::readFlag(text).value_or(*SettingText::readFlag(defaultText(key)));
}

quint32 SettingsStore::readColour(const SettingKey &key) const
{
    Q_ASSERT(key.form == Form::Colour);
    const QString text = stored(key).value_or(defaultText(key));
    return SettingText::readColour(text).value_or(*SettingText::readColour(defaultText(key)));
}

QString SettingsStore::readText(const SettingKey &key) const
{
    Q_ASSERT(key.form == Form::Text);
    const QString text = stored(key).value_or(defaultText(key));
    return text.trimmed().isEmpty() ? defaultText(key) : text;
}

WindowPlacement SettingsStore::readPlacement(const PlacementArea &area) const
{
    using namespace SettingKeys;
    const QSizeF &screen = area.screen;
    const QList<QRectF> &screens = area.screens;
    WindowPlacement placement;
    placement.width = readNumber(Width, [&area](double width) {
        return width >= area.narrowestWidth && width <= area.largestSize;
    });
    // Too small a height is reset together with the width, below.
    placement.height = readNumber(Height, [&area](double height) {
        return height <= area.largestSize;
    });
    const double defaultLeft = roundedOffset(centred(screen.width(), placement.width));
    const double defaultTop = roundedOffset(centred(screen.height(), placement.height));
    if (placement.height < SmallestHeight) {
        placement.width = defaultNumber(Width);
        placement.height = defaultNumber(Height);
    }
    if (placement.width > screen.width() && placement.height > screen.height() - HeightMargin) {
        placement.width = defaultNumber(Width);
        placement.height = defaultNumber(Height);
        placement.left = centred(screen.width(), placement.width);
        placement.top = centred(screen.height(), placement.height);
        placement.maximized = true;
        return placement;
    }
    placement.left = storedNumber(Left).value_or(defaultLeft);
    placement.top = storedNumber(Top).value_or(defaultTop);
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
    using namespace SettingKeys;
    ControlFont font;
    font.name = readText(FontName);
    font.size = readNumber(FontSize, usableFontSize);
    font.bold = readFlag(Bold);
    font.italic = readFlag(Italic);
    font.strikethrough = readFlag(Strikethru);
    font.underline = readFlag(Underline);
    return font;
}

StartupSettings SettingsStore::read(const PlacementArea &area) const
{
    using namespace SettingKeys;
    StartupSettings settings;
    settings.placement = readPlacement(area);
    settings.background = int(std::floor(readNumber(Background, usableTile)));
    settings.font = readFont();
    settings.color = readColour(Color);
    settings.wordWrap = readFlag(Wordwrap);
    settings.checkDefault = readFlag(CheckDefault);
    return settings;
}

void SettingsStore::write(const SettingKey &key, const QString &text)
{
    m_file.setValue(key.sectionText(), key.nameText(), text);
}

void SettingsStore::writeNumber(const SettingKey &key, double value)
{
    switch (key.form) {
    case Form::Geometry:
        write(key, SettingText::geometry(value));
        break;
    case Form::FontSize:
        write(key, SettingText::fontSize(value));
        break;
    default:
        Q_ASSERT(key.form == Form::WholeNumber);
        write(key, QString::number(qint64(value)));
        break;
    }
}

void SettingsStore::writeFlag(const SettingKey &key, bool on)
{
    if (key.form == Form::YesNo) {
        write(key, on ? QStringLiteral("Yes") : QStringLiteral("No"));
        return;
    }
    Q_ASSERT(key.form == Form::Flag);
    write(key, SettingText::flag(on));
}

void SettingsStore::writeColour(const SettingKey &key, quint32 colour)
{
    Q_ASSERT(key.form == Form::Colour);
    write(key, SettingText::colour(colour));
}

void SettingsStore::writeText(const SettingKey &key, const QString &text)
{
    Q_ASSERT(key.form == Form::Text);
    write(key, text);
}

void SettingsStore::SaveRegisterSettings(const SessionSettings &session)
{
    using namespace SettingKeys;
    writeNumber(Width, session.placement.width);
    writeNumber(Height, session.placement.height);
    writeNumber(Left, session.placement.left);
    writeNumber(Top, session.placement.top);
    writeText(FontName, session.font.name);
    writeNumber(FontSize, session.font.size);
    writeFlag(Bold, session.font.bold);
    writeFlag(Italic, session.font.italic);
    writeFlag(Strikethru, session.font.strikethrough);
    writeFlag(Underline, session.font.underline);
    writeColour(Color, session.color);
    writeFlag(Wordwrap, session.wordWrap);
    writeNumber(Background, session.background);
    m_file.sync();
}
